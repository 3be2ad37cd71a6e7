// The program entry: single-instance guard, project and settings, mode, message loop.
#pragma once

namespace sf {

// The name of the mutex that keeps one copy running.
extern const char kInstanceMutexName[];

int RunProgram(int argc, char** argv);

}  // namespace sf
