// The manifest reader on any text: a manifest it takes is written back to a text that reads as
// the same document, and writing that document again gives the same bytes.
#include <QByteArray>
#include <cstdint>

#include "authoring/manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray json(reinterpret_cast<const char*>(data), qsizetype(size));
  sf::TShowDocument doc;
  if (!sf::ParseManifest(json, "fuzz.json", "/shows/fuzz", doc).Ok()) return 0;
  const QByteArray text = sf::ManifestText(doc, "/shows/fuzz");
  sf::TShowDocument again;
  if (!sf::ParseManifest(text, "fuzz.json", "/shows/fuzz", again).Ok() || !(again == doc)) __builtin_trap();
  if (sf::ManifestText(again, "/shows/fuzz") != text) __builtin_trap();
  return 0;
}
