// The stream decoders and the pixel-format converter: runs that cross the end of either side,
// pointers left where the data was used up, and the conversions the converter refuses.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "imaging/colormanager.h"
#include "imaging/decoders.h"

using namespace sf;

namespace {

struct TRun {
  bool ok;
  std::vector<uint8_t> out;
  size_t used;  // packed bytes consumed
};

TRun Unpack(TDecoder& d, const std::vector<uint8_t>& packed, size_t want, uint8_t fill = 0xEE) {
  TRun r{false, std::vector<uint8_t>(want, fill), 0};
  const uint8_t* source = packed.data();
  uint8_t* dest = r.out.data();
  r.ok = d.Decode(source, dest, packed.size(), want);
  r.used = size_t(source - packed.data());
  return r;
}

using Bytes = std::vector<uint8_t>;

}  // namespace

TEST(StreamDecoders, RunLengthSchemes) {
  // Targa: a run packet of 3 two-byte pixels, then a raw packet of one.
  TTargaRLEDecoder targa(16);
  TRun t = Unpack(targa, {0x82, 1, 2, 0x00, 9, 8}, 8);
  EXPECT_TRUE(t.ok);
  EXPECT_EQ(t.out, (Bytes{1, 2, 1, 2, 1, 2, 9, 8}));
  EXPECT_EQ(t.used, 6u);
  EXPECT_FALSE(Unpack(targa, {0x83, 1, 2}, 6).ok);  // a packet past the end of the picture
  EXPECT_FALSE(Unpack(targa, {0x01, 1, 2, 3}, 4).ok);  // a raw packet whose data ends early

  // PackBits: 2 copies three, -2 repeats three times, -128 is nothing; the last run is cut.
  TPackbitsRLEDecoder packbits;
  TRun p = Unpack(packbits, {2, 'a', 'b', 'c', 0x80, 0xFE, 'z', 0xFD, 'q'}, 7);
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(std::string(p.out.begin(), p.out.end()), "abczzzq");
  EXPECT_FALSE(Unpack(packbits, {5, 'a'}, 6).ok);

  // PCX: 0xC3 repeats the next byte three times; 0xC0 is a run of none.
  TPCXRLEDecoder pcx;
  TRun x = Unpack(pcx, {0xC3, 7, 0xC0, 1, 5, 0xC5, 6}, 6);
  EXPECT_TRUE(x.ok);
  EXPECT_EQ(x.out, (Bytes{7, 7, 7, 5, 6, 6}));
  EXPECT_EQ(x.used, 7u);
  EXPECT_FALSE(Unpack(pcx, {0xC3}, 3).ok);

  // SGI, two-byte samples: the count is in the low byte; 0 ends the row and keeps the rest.
  TSGIRLEDecoder sgi(2);
  TRun s = Unpack(sgi, {0, 0x82, 1, 2, 3, 4, 0, 0x01, 9, 9, 0, 0}, 8);
  EXPECT_TRUE(s.ok);
  EXPECT_EQ(s.out, (Bytes{1, 2, 3, 4, 9, 9, 0xEE, 0xEE}));
  EXPECT_FALSE(Unpack(sgi, {0, 0x83, 1, 2}, 6).ok);

  // CUT: 0x83 repeats three times, 0x02 copies two, 0 ends the row.
  TCUTRLEDecoder cut;
  TRun c = Unpack(cut, {0x83, 4, 0x02, 5, 6, 0, 0x81, 1}, 5);
  EXPECT_TRUE(c.ok);
  EXPECT_EQ(c.out, (Bytes{4, 4, 4, 5, 6}));
  EXPECT_EQ(c.used, 6u);  // stops after the row's end code
  EXPECT_FALSE(Unpack(cut, {0x05, 1, 2}, 5).ok);

  // PSP: above 128 repeats count - 128 times; 128 and below copy that many bytes.
  TPSPRLEDecoder psp;
  TRun q = Unpack(psp, {0x83, 7, 0x02, 1, 2}, 5);
  EXPECT_TRUE(q.ok);
  EXPECT_EQ(q.out, (Bytes{7, 7, 7, 1, 2}));
  EXPECT_FALSE(Unpack(psp, {0x03, 1}, 3).ok);

  // RLA: 0 and more repeat count + 1 times, negative copies -count bytes.
  TRLADecoder rla;
  TRun r = Unpack(rla, {0x02, 8, 0xFE, 1, 2}, 5);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.out, (Bytes{8, 8, 8, 1, 2}));
  EXPECT_FALSE(Unpack(rla, {0x7F}, 10).ok);
}

TEST(StreamDecoders, GifLzwAndZlib) {
  // Code size 2: clear (4), 1, 1, then the new code 6 (= 1 1), end (5); 3-bit codes.
  // Bits, least significant first: 100 001 001 110 101.
  TGIFLZWDecoder lzw(2);
  TRun g = Unpack(lzw, {0x4C, 0x5C}, 4);
  EXPECT_TRUE(g.ok);
  EXPECT_EQ(g.out, (Bytes{1, 1, 1, 1}));
  // A first code after the clear above the alphabet cannot be.
  EXPECT_THROW(Unpack(lzw, {0x3C}, 4), EInvalidGraphic);
  EXPECT_THROW(Unpack(*std::make_unique<TGIFLZWDecoder>(12), {0}, 1), EInvalidGraphic);

  const std::string text(5000, 'x');
  Bytes packed(compressBound(uLong(text.size())));
  uLongf n = uLongf(packed.size());
  ASSERT_EQ(compress(packed.data(), &n, reinterpret_cast<const Bytef*>(text.data()), uLong(text.size())), Z_OK);
  packed.resize(n);
  TLZ77Decoder zlib(Z_FINISH);
  zlib.DecodeInit();
  TRun z = Unpack(zlib, packed, text.size());
  zlib.DecodeEnd();
  EXPECT_TRUE(z.ok);
  EXPECT_EQ(z.used, packed.size());
  EXPECT_EQ(std::string(z.out.begin(), z.out.end()), text);
  // The picture is full before the stream ends, or the stream ends before the picture is full.
  TLZ77Decoder shortOut(Z_FINISH);
  EXPECT_FALSE(Unpack(shortOut, packed, text.size() - 1).ok);
  TLZ77Decoder longOut(Z_FINISH);
  EXPECT_FALSE(Unpack(longOut, packed, text.size() + 1).ok);
  Bytes damaged = packed;
  damaged[0] = 0x12;  // not a zlib header
  TLZ77Decoder bad(Z_FINISH);
  EXPECT_FALSE(Unpack(bad, damaged, text.size()).ok);
}

TEST(ColorManager, ConversionsAndRefusals) {
  TColorManager m;
  // 16-bit RGB in both byte orders: 0xFFFF is 255, 0x8080 is 128 (32896 * 255 / 65535).
  m.sourceBitsPerSample = 16;
  m.sourceSamplesPerPixel = 3;
  m.sourceScheme = TColorScheme::RGB;
  m.targetScheme = TColorScheme::BGR;
  EXPECT_EQ(m.TargetFormat(), QImage::Format_BGR888);
  const uint8_t be[6] = {0xFF, 0xFF, 0x80, 0x80, 0x00, 0xFF};
  const uint8_t* planes[1] = {be};
  uint8_t out[12] = {};
  m.ConvertRow(planes, 1, out, 1);
  EXPECT_EQ(out[0], 0);    // blue: 0x00FF is 0
  EXPECT_EQ(out[1], 128);  // green
  EXPECT_EQ(out[2], 255);  // red
  m.sourceBigEndian = false;
  m.ConvertRow(planes, 1, out, 1);
  EXPECT_EQ(out[0], 254);  // 0xFF00 little-endian is 65280 -> 254

  // Planar grey with alpha into BGRA; packed 2-bit grey spreads over 0..255.
  TColorManager g;
  g.sourceScheme = TColorScheme::GreyAlpha;
  g.sourceSamplesPerPixel = 2;
  g.targetScheme = TColorScheme::BGRA;
  const uint8_t grey[2] = {10, 20}, alpha[2] = {0, 255};
  const uint8_t* two[2] = {grey, alpha};
  g.ConvertRow(two, 2, out, 2);
  EXPECT_EQ((Bytes{out, out + 8}), (Bytes{10, 10, 10, 0, 20, 20, 20, 255}));
  TColorManager packed;
  packed.sourceScheme = TColorScheme::Grey;
  packed.sourceBitsPerSample = 2;
  const uint8_t levels[1] = {0x1B};  // 0, 1, 2, 3
  const uint8_t* one[1] = {levels};
  packed.ConvertRow(one, 1, out, 4);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[3], 85);
  EXPECT_EQ(out[6], 170);
  EXPECT_EQ(out[9 - 0], 255);
  // A gamma table changes colours, never alpha.
  uint8_t invert[256];
  for (int i = 0; i < 256; ++i) invert[i] = uint8_t(255 - i);
  g.gamma = invert;
  g.ConvertRow(two, 2, out, 1);
  EXPECT_EQ((Bytes{out, out + 4}), (Bytes{245, 245, 245, 0}));

  // Refusals: indexed to colour, colour to indexed, odd sample sizes, packed multi-sample pixels.
  auto refuses = [](TColorManager c) {
    try {
      c.TargetFormat();
      return false;
    } catch (const EColorConversionError& e) {
      return std::string(e.what()) == "Error!";
    }
  };
  TColorManager c;
  c.sourceScheme = TColorScheme::Indexed;
  c.targetScheme = TColorScheme::BGR;
  EXPECT_TRUE(refuses(c));
  c.sourceScheme = TColorScheme::RGB;
  c.sourceSamplesPerPixel = 3;
  c.targetScheme = TColorScheme::Indexed;
  EXPECT_TRUE(refuses(c));
  c.targetScheme = TColorScheme::BGR;
  c.sourceBitsPerSample = 12;
  EXPECT_TRUE(refuses(c));
  c.sourceBitsPerSample = 4;
  EXPECT_TRUE(refuses(c));
  c.sourceBitsPerSample = 8;
  c.sourceSamplesPerPixel = 2;  // fewer samples than RGB names
  EXPECT_TRUE(refuses(c));
  c.sourceSamplesPerPixel = 3;
  EXPECT_FALSE(refuses(c));
  EXPECT_EQ(TColorManager::GreyPalette(1), (QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}));
  EXPECT_EQ(TColorManager::GreyPalette(4)[5], qRgb(85, 85, 85));
}
