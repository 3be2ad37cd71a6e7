#include "imaging/decoders.h"

#include <algorithm>
#include <cstring>
#include <libdeflate.h>
#include <memory>

#include "imaging/graphic.h"

namespace sf {

bool TTargaRLEDecoder::Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) {
  const uint8_t* const end = source + packedSize;
  uint8_t* const full = dest + unpackedSize;
  const size_t bytes = pixelBytes_;
  while (dest < full) {
    if (source == end) return false;
    const int header = *source++;
    const size_t n = (size_t(header & 0x7F) + 1) * bytes;
    if (size_t(full - dest) < n) return false;  // a packet past the end of the picture
    if (header & 0x80) {
      if (size_t(end - source) < bytes) return false;
      for (size_t i = 0; i < n; i += bytes) std::memcpy(dest + i, source, bytes);
      source += bytes;
    } else {
      if (size_t(end - source) < n) return false;
      std::memcpy(dest, source, n);
      source += n;
    }
    dest += n;
  }
  return true;
}

bool TPackbitsRLEDecoder::Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) {
  const uint8_t* const end = source + packedSize;
  uint8_t* const full = dest + unpackedSize;
  while (dest < full && source < end) {
    const int n = int8_t(*source++);
    if (n >= 0) {
      const size_t count = size_t(n) + 1, take = std::min({count, size_t(full - dest), size_t(end - source)});
      std::memcpy(dest, source, take);
      source += std::min(count, size_t(end - source));
      dest += take;
    } else if (n != -128) {
      if (source == end) break;
      const size_t take = std::min(size_t(1 - n), size_t(full - dest));
      std::memset(dest, *source++, take);
      dest += take;
    }
  }
  return dest == full;
}

bool TPCXRLEDecoder::Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) {
  const uint8_t* const end = source + packedSize;
  uint8_t* const full = dest + unpackedSize;
  while (dest < full) {
    if (source == end) return false;
    uint8_t b = *source++;
    size_t count = 1;
    if ((b & 0xC0) == 0xC0) {
      count = b & 0x3F;
      if (source == end) return false;
      b = *source++;
    }
    count = std::min(count, size_t(full - dest));
    std::memset(dest, b, count);
    dest += count;
  }
  return true;
}

bool TSGIRLEDecoder::Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) {
  const uint8_t* const end = source + packedSize;
  uint8_t* const full = dest + unpackedSize;
  const size_t s = sampleSize_;
  while (dest < full) {
    if (size_t(end - source) < s) return false;
    const int code = s == 2 ? source[1] : source[0];  // the count sits in the low byte
    source += s;
    const size_t n = size_t(code & 0x7F) * s;
    if (n == 0) return true;  // the row ends here; the rest keeps what dest held
    if (size_t(full - dest) < n) return false;
    if (code & 0x80) {
      if (size_t(end - source) < n) return false;
      std::memcpy(dest, source, n);
      source += n;
    } else {
      if (size_t(end - source) < s) return false;
      for (size_t i = 0; i < n; i += s) std::memcpy(dest + i, source, s);
      source += s;
    }
    dest += n;
  }
  return true;
}

bool TCUTRLEDecoder::Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) {
  const uint8_t* const end = source + packedSize;
  uint8_t* const full = dest + unpackedSize;
  while (source < end) {
    const int code = *source++;
    if (code == 0) return true;  // the end of the row; a short row keeps what dest held
    const size_t n = size_t(code & 0x7F), room = size_t(full - dest);
    if (code & 0x80) {
      if (source == end) return false;
      std::memset(dest, *source++, std::min(n, room));
      dest += std::min(n, room);
    } else {
      const size_t take = std::min({n, room, size_t(end - source)});
      std::memcpy(dest, source, take);
      if (size_t(end - source) < n) return false;
      source += n;
      dest += take;
    }
  }
  return dest == full;
}

bool TPSPRLEDecoder::Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) {
  const uint8_t* const end = source + packedSize;
  uint8_t* const full = dest + unpackedSize;
  while (dest < full) {
    if (source == end) return false;
    const int count = *source++;
    const size_t room = size_t(full - dest);
    if (count > 128) {
      if (source == end) return false;
      const size_t n = std::min(size_t(count - 128), room);
      std::memset(dest, *source++, n);
      dest += n;
    } else {
      const size_t n = std::min(size_t(count), room);
      if (size_t(end - source) < size_t(count)) return false;
      std::memcpy(dest, source, n);
      source += count;
      dest += n;
    }
  }
  return true;
}

bool TRLADecoder::Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) {
  const uint8_t* const end = source + packedSize;
  uint8_t* const full = dest + unpackedSize;
  while (dest < full) {
    if (source == end) return false;
    const int count = int8_t(*source++);
    const size_t room = size_t(full - dest);
    if (count >= 0) {
      if (source == end) return false;
      const size_t n = std::min(size_t(count) + 1, room);
      std::memset(dest, *source++, n);
      dest += n;
    } else {
      const size_t want = size_t(-count), n = std::min(want, room);
      if (size_t(end - source) < want) return false;
      std::memcpy(dest, source, n);
      source += want;
      dest += n;
    }
  }
  return true;
}

namespace {
[[noreturn]] void BadCode() { throw EInvalidGraphic("GIF LZW: invalid opcode."); }
}  // namespace

bool TGIFLZWDecoder::Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) {
  const int minCodeSize = initialCodeSize_;
  if (minCodeSize < 1 || minCodeSize > 11) BadCode();
  const int clear = 1 << minCodeSize, endCode = clear + 1;
  // Each code is its prefix code and its last byte; lengths let a string be written backwards.
  std::array<uint16_t, 4096> prefix{}, length{};
  std::array<uint8_t, 4096> suffix{}, first{};
  for (int i = 0; i < clear; ++i) suffix[size_t(i)] = first[size_t(i)] = uint8_t(i), length[size_t(i)] = 1;
  int codeSize = minCodeSize + 1, next = clear + 2, previous = -1;
  uint32_t bits = 0;
  int nbits = 0;
  const uint8_t* const end = source + packedSize;
  uint8_t* const out = dest;
  size_t o = 0;
  const size_t want = unpackedSize;
  while (o < want) {
    while (nbits < codeSize && source < end) bits |= uint32_t(*source++) << nbits, nbits += 8;
    if (nbits < codeSize) break;  // the data ends early
    const int code = int(bits & ((1u << codeSize) - 1));
    bits >>= codeSize;
    nbits -= codeSize;
    if (code == clear) {
      codeSize = minCodeSize + 1;
      next = clear + 2;
      previous = -1;
      continue;
    }
    if (code == endCode) break;
    if (previous < 0) {
      if (code >= clear) BadCode();
      out[o++] = uint8_t(code);
      previous = code;
      continue;
    }
    uint8_t head;
    if (code < next) {
      head = first[size_t(code)];
    } else if (code == next && next < 4096) {  // the string of the previous code and its first byte
      head = first[size_t(previous)];
    } else {
      BadCode();
    }
    if (next < 4096) {
      prefix[size_t(next)] = uint16_t(previous);
      suffix[size_t(next)] = head;
      first[size_t(next)] = first[size_t(previous)];
      length[size_t(next)] = uint16_t(length[size_t(previous)] + 1);
      ++next;
      if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
    }
    // Writes the string of the code, cut where the picture ends.
    const size_t n = length[size_t(code)];
    size_t pos = o + n;
    for (int c = code;; c = prefix[size_t(c)]) {
      --pos;
      if (pos < want) out[pos] = suffix[size_t(c)];
      if (length[size_t(c)] == 1) break;
    }
    o = std::min(want, o + n);
    previous = code;
  }
  dest += o;
  return o == want;
}

TLZ77Decoder::~TLZ77Decoder() {
  if (open_) inflateEnd(&stream_);
}

void TLZ77Decoder::DecodeInit() {
  if (open_) inflateEnd(&stream_);
  stream_ = z_stream{};
  ended_ = started_ = false;
  if (inflateInit(&stream_) != Z_OK) throw EInvalidGraphic("LZ77 decompression error.");
  open_ = true;
}

void TLZ77Decoder::DecodeEnd() {
  if (!open_) return;
  open_ = false;
  if (inflateEnd(&stream_) != Z_OK) throw EInvalidGraphic("LZ77 decompression error.");
}

bool TLZ77Decoder::InflateWhole(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) {
  // One decompressor for each thread that decodes: it holds only tables, rebuilt by every call.
  struct TFree {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
  };
  thread_local const std::unique_ptr<libdeflate_decompressor, TFree> inflater(libdeflate_alloc_decompressor());
  if (!inflater) return false;
  // No room for the actual size: a stream that inflates to less than dest is refused as well as
  // one that inflates to more. A stream that reaches back further than the window its header
  // names is taken: what it holds is unambiguous.
  size_t used = 0;
  if (libdeflate_zlib_decompress_ex(inflater.get(), source, packedSize, dest, unpackedSize, &used, nullptr) !=
      LIBDEFLATE_SUCCESS)
    return false;
  source += used;
  dest += unpackedSize;
  ended_ = true;
  return true;
}

bool TLZ77Decoder::Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) {
  if (!open_) DecodeInit();
  if (flush_ == Z_FINISH && !started_ && !ended_ && unpackedSize > 0) {
    started_ = true;
    if (InflateWhole(source, dest, packedSize, unpackedSize)) return true;
    // Refused: zlib goes over the same stream from its start and stops where it breaks.
  }
  started_ = true;
  bool ok = true;
  // zlib counts in 32 bits: feed very large runs in pieces.
  while (ok && (packedSize > 0 || flush_ == Z_FINISH) && unpackedSize > 0 && !ended_) {
    const uInt in = uInt(std::min<size_t>(packedSize, 1u << 30)), outRoom = uInt(std::min<size_t>(unpackedSize, 1u << 30));
    stream_.next_in = const_cast<Bytef*>(source);
    stream_.avail_in = in;
    stream_.next_out = dest;
    stream_.avail_out = outRoom;
    const bool last = in == packedSize;
    const int rc = inflate(&stream_, last ? flush_ : Z_NO_FLUSH);
    const size_t used = in - stream_.avail_in, made = outRoom - stream_.avail_out;
    source += used;
    dest += made;
    packedSize -= used;
    unpackedSize -= made;
    if (rc == Z_STREAM_END) ended_ = true;
    else if (rc != Z_OK && !(rc == Z_BUF_ERROR && used == 0 && made == 0 && !last)) ok = false;
    if (used == 0 && made == 0) break;
  }
  if (!ok) return false;
  // With Z_FINISH the stream must end exactly where dest is full: more compressed data than the
  // picture holds is as wrong as too little.
  if (flush_ == Z_FINISH) return ended_ && unpackedSize == 0;
  return unpackedSize == 0;
}

}  // namespace sf
