// A writer of Paint Shop Pro files of versions 3 and 4 from the published layout (file header,
// "~BK" blocks, general attributes, palette, layer bank with the first layer's channels), for
// the tests: no public samples exist.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include <zlib.h>

namespace sftest {

inline std::string U16(uint32_t v) { return std::string{char(v), char(v >> 8)}; }
inline std::string U32(uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }

struct TPspWriter {
  int major = 4;
  uint32_t compression = 0, bits = 24;
  bool greyscale = false, padRows = false;
  int width = 13, height = 5;
  int left = 0, top = 0, layerW = 13, layerH = 5;

  std::string Block(uint32_t id, const std::string& initial, const std::string& rest = "") const {
    const std::string body = initial + rest;
    if (major == 3) return std::string("~BK\0", 4) + U16(id) + U32(uint32_t(initial.size())) + U32(uint32_t(body.size())) + body;
    return std::string("~BK\0", 4) + U16(id) + U32(uint32_t(body.size())) + body;
  }
  // A chunk: in version 4 it starts with its own length.
  std::string Chunk(const std::string& fields) const { return major == 4 ? U32(uint32_t(fields.size() + 4)) + fields : fields; }

  std::string Pack(const std::string& raw) const {
    if (compression == 0) return raw;
    if (compression == 2) {
      std::string out(compressBound(uLong(raw.size())), '\0');
      uLongf n = uLongf(out.size());
      compress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()));
      out.resize(n);
      return out;
    }
    std::string out;  // runs as 128 + n, literals as n (at most 128)
    for (size_t i = 0; i < raw.size();) {
      size_t run = 1;
      while (i + run < raw.size() && raw[i + run] == raw[i] && run < 127) ++run;
      if (run >= 2) {
        out += char(128 + run);
        out += raw[i];
        i += run;
      } else {
        size_t n = 1;
        while (i + n < raw.size() && n < 128 && raw[i + n] != raw[i + n - 1]) ++n;
        out += char(n);
        out += raw.substr(i, n);
        i += n;
      }
    }
    return out;
  }

  std::string Channel(uint32_t type, const std::string& raw) const {
    const std::string packed = Pack(raw);
    return Block(5, Chunk(U32(uint32_t(packed.size())) + U32(uint32_t(raw.size())) + U16(0) + U16(type)), packed);
  }

  // planes: one string per channel of layerH rows, each row's bytes (packed for 1 and 4 bits).
  std::string File(const std::vector<std::string>& planes, const std::string& palette = "") const {
    std::string f = std::string("Paint Shop Pro Image File\n\x1a", 27);
    f.append(32 - f.size(), '\0');
    f += U16(uint32_t(major)) + U16(0);
    std::string attributes = U32(uint32_t(width)) + U32(uint32_t(height)) + std::string(8, '\0') + '\0' + U16(compression) +
                             U16(bits) + U16(1) + U32(bits == 24 ? 0 : 1u << bits) + char(greyscale) +
                             U32(0) + U32(0) + U16(1);
    if (major == 4) attributes += U32(1);
    f += Block(0, Chunk(attributes));
    if (!palette.empty()) f += Block(2, Chunk(U32(uint32_t(palette.size() / 4))), palette);
    std::string info;
    if (major == 3) info = std::string(256, '\0');
    else info = U16(5) + "Layer";
    info += char(1);
    info += U32(uint32_t(left)) + U32(uint32_t(top)) + U32(uint32_t(left + layerW)) + U32(uint32_t(top + layerH));
    info += std::string(16, '\0') + std::string(5, '\0') + std::string(32, '\0') + std::string(3, '\0') + U16(5) +
            std::string(40, '\0');
    std::string channels;
    for (size_t c = 0; c < planes.size(); ++c) channels += Channel(planes.size() == 1 ? 0 : uint32_t(c + 1), planes[c]);
    // A transparency mask channel comes too and must be passed over.
    std::string mask = Block(5, Chunk(U32(1) + U32(1) + U16(1) + U16(0)), "\x7F");
    std::string layer;
    if (major == 3) layer = Block(4, info + U16(1) + U16(uint32_t(planes.size())), mask + channels);
    else layer = Block(4, Chunk(info) + Chunk(U16(1) + U16(uint32_t(planes.size()))), mask + channels);
    f += Block(3, "", layer);
    return f;
  }

  // Rows of one channel: `value(x, y)` as samples of `bits`, packed high bit first.
  std::string Plane(int sampleBits, const std::function<int(int, int)>& value) const {
    std::string out;
    const size_t rowBytes = (size_t(layerW) * size_t(sampleBits) + 7) / 8, stride = padRows ? (rowBytes + 3) / 4 * 4 : rowBytes;
    for (int y = 0; y < layerH; ++y) {
      std::string row(stride, '\0');
      for (int x = 0; x < layerW; ++x) {
        const int bit = x * sampleBits;
        row[size_t(bit / 8)] = char(uint8_t(row[size_t(bit / 8)]) | value(x, y) << (8 - sampleBits - bit % 8));
      }
      out += row;
    }
    return out;
  }
};

}  // namespace sftest
