// A trace for people who build shows: SHOWFORGE_TRACE names the topics to report on standard
// error, separated by commas ("show", "music", "video", "flash"); "1" or "all" names every topic.
// Without the variable nothing is printed.
#pragma once

namespace sf {

// Whether the topic is traced (the variable is read once).
bool Traced(const char* topic);

// One line "topic: text" on standard error when the topic is traced.
void Trace(const char* topic, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace sf
