// The registry file reader: any text either fails with a message or gives values that
// write out and read back the same.
#include <cstdint>
#include <string_view>

#include "platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<sf::TRegValue> values, again;
  QString error;
  const bool ok = sf::ParseRegText(std::string_view(reinterpret_cast<const char*>(data), size), values, error);
  if (ok != error.isEmpty()) __builtin_trap();
  if (!ok) return 0;
  const std::string text = sf::FormatRegText("Software\\Quillmoor\\Fuzz", values);
  if (!sf::ParseRegText(text, again, error) || again.size() != values.size()) __builtin_trap();
  for (size_t i = 0; i < values.size(); ++i) {
    const sf::TRegValue &a = values[i], &b = again[i];
    if (a.name != b.name || a.type != b.type || a.number != b.number || a.text != b.text || a.raw != b.raw)
      __builtin_trap();
  }
  return 0;
}
