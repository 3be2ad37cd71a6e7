// Helpers for the tests: scratch folders and files, and a builder of project files that lays
// out the appended data byte by byte.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sftest {

// A fresh folder (mode 0700) below this test program's own scratch folder.
std::string ScratchDir(const std::string& name);
// Writes bytes to a file in the scratch folder; gives its path.
std::string WriteFile(const std::string& name, std::string_view bytes);
std::string ReadFile(const std::string& path);

// Whether ImageMagick's convert can be run (asked once).
bool HaveImageMagick();

// Runs the event loop until done() holds; false when it does not within ms milliseconds.
bool WaitUntil(const std::function<bool()>& done, int ms = 5000);

// A sine tone as a 16-bit mono PCM WAV file at 8 kHz.
std::string ToneWav(int ms, double hertz);

// A file ffmpeg makes with the given arguments (its output last, named `name` in the scratch
// folder); empty when ffmpeg is missing or fails.
std::string FfmpegMade(const std::string& name, const std::vector<std::string>& arguments);

// One tagged field: the tag byte, the value, 0x80.
std::string F(uint8_t tag, std::string_view value);
// A slide record: its fields and 0x7F.
std::string Rec(std::string_view fields);
// The ten-byte length field with the number left-aligned (blanks after) or right-aligned.
std::string LengthField(int64_t n, bool rightAligned = false);

// A project file: program image, media, slide list, header, offset table, length field.
// Media are placed in the order added; the table lists them with tag "1".
struct ProjectBuilder {
  std::string image = std::string("MZ\x90\0\3\0program image", 18);
  std::string media;
  std::vector<int32_t> resources;
  std::vector<int32_t> music;
  std::string slideList;
  std::string header;
  std::string extraTable;  // raw table records appended after the computed ones

  int32_t AddResource(std::string_view bytes);
  int32_t AddMusic(std::string_view bytes);
  std::string Table() const;
  std::string Build() const;
};

}  // namespace sftest
