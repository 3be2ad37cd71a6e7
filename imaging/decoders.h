// Stream decoders: each turns a packed byte run into a given number of unpacked bytes. The
// picture decoders use them for their compressed data and raise their own format's error when a
// run is damaged or ends early.
#pragma once

#include <zlib.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace sf {

class TDecoder {
 public:
  virtual ~TDecoder() = default;
  // Unpacks from source (at most packedSize bytes) into dest (unpackedSize bytes); both pointers
  // advance past what was used. False when the data ends before dest is full or is damaged; what
  // was unpacked until then stays in dest.
  virtual bool Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) = 0;
  virtual void DecodeInit() {}
  virtual void DecodeEnd() {}
  // The program writes no pictures: there are no encoding operations.
};

// Targa: a packet header n; n & 0x80 repeats the next pixel (n & 0x7F) + 1 times, otherwise
// (n + 1) pixels follow as they are. Packets may run across rows.
class TTargaRLEDecoder : public TDecoder {
 public:
  explicit TTargaRLEDecoder(int pixelBits) : pixelBytes_(size_t(pixelBits + 7) / 8) {}
  bool Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) override;

 private:
  size_t pixelBytes_;
};

// PackBits: a count n; 0 to 127 copies n + 1 bytes, -1 to -127 repeats the next byte 1 - n times,
// -128 does nothing. A run that passes the end of dest is cut there.
class TPackbitsRLEDecoder : public TDecoder {
 public:
  bool Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) override;
};

// PCX: a byte with both top bits set repeats the next byte (n & 0x3F) times; any other byte
// stands for itself. A run across the end of dest is cut.
class TPCXRLEDecoder : public TDecoder {
 public:
  bool Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) override;
};

// SGI: samples of 1 or 2 bytes (big-endian); a count sample n, n & 0x7F == 0 ends the row,
// n & 0x80 copies that many samples, otherwise the next sample is repeated that many times. The
// row's samples are written in the file's byte order; a row that ends early keeps the rest of dest.
class TSGIRLEDecoder : public TDecoder {
 public:
  explicit TSGIRLEDecoder(int sampleSize) : sampleSize_(size_t(sampleSize)) {}
  bool Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) override;

 private:
  size_t sampleSize_;
};

// Dr. Halo CUT: a count byte n; 0 ends the row (a short row keeps the rest of dest), n & 0x80
// repeats the next byte (n & 0x7F) times, otherwise n bytes follow as they are. Runs past the end
// of the row are cut.
class TCUTRLEDecoder : public TDecoder {
 public:
  bool Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) override;
};

// Paint Shop Pro: a count byte n; above 128 repeats the next byte n - 128 times, otherwise n
// bytes follow as they are.
class TPSPRLEDecoder : public TDecoder {
 public:
  bool Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) override;
};

// Wavefront RLA: a signed count n; 0 or more repeats the next byte n + 1 times, a negative n
// copies -n bytes.
class TRLADecoder : public TDecoder {
 public:
  bool Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) override;
};

// GIF LZW with the initial code size of the file (the sub-blocks already joined). Data that ends
// early leaves the rest of dest as it was and gives false; an impossible code raises
// "GIF LZW: invalid opcode.".
class TGIFLZWDecoder : public TDecoder {
 public:
  explicit TGIFLZWDecoder(int initialCodeSize) : initialCodeSize_(initialCodeSize) {}
  bool Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) override;

 private:
  int initialCodeSize_;
};

// zlib-packed data. Begin and end raise "LZ77 decompression error." when zlib refuses. Decode may
// be called again for more packed data; it gives false on damaged data, and with Z_FINISH also
// when the stream does not end exactly where dest is full.
//
// With Z_FINISH, the first Decode of a stream inflates it in one call (libdeflate), which is
// several times faster than zlib's streaming inflate when the whole stream is at hand and its
// inflated size known, as for a picture's pixels. A stream that this call refuses (damaged, or
// ending before or after dest is full) is inflated again through zlib, so that what could be
// read stands in dest and both pointers show how far it went.
class TLZ77Decoder : public TDecoder {
 public:
  explicit TLZ77Decoder(int flushMode) : flush_(flushMode) {}
  ~TLZ77Decoder() override;
  bool Decode(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize) override;
  void DecodeInit() override;
  void DecodeEnd() override;
  // True once the compressed stream has reached its end.
  bool AtEnd() const { return ended_; }

 private:
  bool InflateWhole(const uint8_t*& source, uint8_t*& dest, size_t packedSize, size_t unpackedSize);

  z_stream stream_{};
  int flush_;
  bool open_ = false, ended_ = false, started_ = false;
};

}  // namespace sf
