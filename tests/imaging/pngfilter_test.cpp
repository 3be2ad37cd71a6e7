// PNG rows and streams: the whole-row filters against the byte-wise ones at every pixel size and
// at row lengths around the register widths, Paeth's choice for every triple of bytes, every
// filter type on every bit depth and colour type (our own pictures, and PngSuite's re-encoded
// and compared with their reference renderings), and the streams that must be refused.
#include <QDir>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "imaging/decoders.h"
#include "imaging/graphic.h"
#include "imaging/png.h"
#include "imaging/pngfilter.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {

using Bytes = std::vector<uint8_t>;

// The predictor as the PNG standard states it.
uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return uint8_t(a);
  return uint8_t(pb <= pc ? b : c);
}

// Filters one row with `type`; `above` is the unfiltered row above (zeros for the first).
Bytes FilterRow(int type, const uint8_t* row, const uint8_t* above, size_t n, size_t bpp) {
  Bytes out(n);
  for (size_t i = 0; i < n; ++i) {
    const int a = i >= bpp ? row[i - bpp] : 0, b = above[i], c = i >= bpp ? above[i - bpp] : 0;
    const int pred = type == 0 ? 0 : type == 1 ? a : type == 2 ? b : type == 3 ? (a + b) / 2 : Paeth(a, b, c);
    out[i] = uint8_t(row[i] - pred);
  }
  return out;
}

std::string Be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

std::string Chunk(const char* type, const std::string& body) {
  const std::string typed = type + body;
  return Be32(uint32_t(body.size())) + typed + Be32(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()))));
}

std::string Deflate(const Bytes& raw) {
  std::string out(compressBound(uLong(raw.size())), '\0');
  uLongf n = uLongf(out.size());
  EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &n, raw.data(), uLong(raw.size()), 9), Z_OK);
  out.resize(n);
  return out;
}

struct TLayout {
  uint32_t width, height;
  int depth, colorType, interlace;
  int Channels() const { return colorType == 0 || colorType == 3 ? 1 : colorType == 2 ? 3 : colorType == 4 ? 2 : 4; }
  size_t Bpp() const { return std::max<size_t>(1, size_t(Channels() * depth) / 8); }
  size_t RowBytes(uint32_t w) const { return (size_t(w) * size_t(Channels() * depth) + 7) / 8; }
  // The passes' sizes: one pass, or Adam7's seven (empty ones left out).
  std::vector<std::pair<uint32_t, uint32_t>> Passes() const {
    if (!interlace) return {{width, height}};
    static const uint32_t k[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::vector<std::pair<uint32_t, uint32_t>> passes;
    for (const auto& p : k)
      if (width > p[0] && height > p[1]) passes.emplace_back((width - p[0] + p[2] - 1) / p[2], (height - p[1] + p[3] - 1) / p[3]);
    return passes;
  }
  std::string Ihdr() const {
    return Chunk("IHDR", Be32(width) + Be32(height) + std::string{char(depth), char(colorType), 0, 0, char(interlace)});
  }
};

// The passes' unfiltered rows, one after another, each filtered with choose(row number within
// its pass) and given its filter byte: the stream a PNG's IDAT inflates to.
Bytes Filtered(const TLayout& l, const Bytes& rows, const std::function<int(uint32_t)>& choose) {
  Bytes raw;
  size_t at = 0;
  for (const auto& [pw, ph] : l.Passes()) {
    const size_t rb = l.RowBytes(pw);
    const Bytes zeros(rb, 0);
    for (uint32_t r = 0; r < ph; ++r) {
      const int type = choose(r);
      const uint8_t* above = r == 0 ? zeros.data() : rows.data() + at - rb;
      const Bytes f = FilterRow(type, rows.data() + at, above, rb, l.Bpp());
      raw.push_back(uint8_t(type));
      raw.insert(raw.end(), f.begin(), f.end());
      at += rb;
    }
  }
  return raw;
}

QImage Decode(const std::string& png) { return DecodePng(reinterpret_cast<const uint8_t*>(png.data()), png.size()); }

std::string Message(const std::string& png) {
  try {
    Decode(png);
  } catch (const EInvalidGraphic& e) {
    return e.what();
  }
  return "decoded";
}

const char kSignature[] = "\x89PNG\r\n\x1a\n";

std::string Png(const TLayout& l, const std::string& ancillary, const std::string& idat) {
  return std::string(kSignature, 8) + l.Ihdr() + ancillary + idat + Chunk("IEND", "");
}

const QString kSuite = QString(SHOWFORGE_TESTDATA) + "/png/pngsuite";

}  // namespace

TEST(PngFilters, WholeRowsMatchTheBytewiseFilters) {
  std::mt19937 random(7);
  for (size_t bpp : {1, 2, 3, 4, 6, 8}) {
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 12 * bpp + 20; n += (bpp > 2 ? bpp : 1)) lengths.push_back(n);
    lengths.push_back(1920 * bpp);
    for (size_t n : lengths)
      for (uint8_t type = 0; type <= 4; ++type) {
        Bytes in(n), prev(n);
        for (auto& v : in) v = uint8_t(random());
        for (auto& v : prev) v = uint8_t(random());
        // Guard bytes after the row catch a write past its end.
        Bytes ours(n + 16, 0xA5), portable(n + 16, 0xA5);
        ASSERT_TRUE(UnfilterRow(type, in.data(), ours.data(), prev.data(), n, bpp));
        ASSERT_TRUE(UnfilterRowPortable(type, in.data(), portable.data(), prev.data(), n, bpp));
        ASSERT_EQ(ours, portable) << "type " << int(type) << ", " << bpp << " bytes a pixel, " << n << " bytes";
      }
  }
  // A filter type beyond 4 is refused and leaves the row as it was.
  Bytes in(12, 1), prev(12, 2), out(12, 0x5A);
  for (uint8_t type : {5, 128, 255}) {
    EXPECT_FALSE(UnfilterRow(type, in.data(), out.data(), prev.data(), 12, 3));
    EXPECT_FALSE(UnfilterRowPortable(type, in.data(), out.data(), prev.data(), 12, 3));
    EXPECT_EQ(out, Bytes(12, 0x5A));
  }
}

TEST(PngFilters, PaethChoosesAsTheStandardForEveryTriple) {
  // Rows of two 8-byte pixels with a row above: the first pixel comes out as in + b (the
  // predictor of (0, b, 0)), so that each lane of the second sees a chosen (a, b, c).
  Bytes in(16), prev(16), out(16);
  size_t wrong = 0;
  for (int t = 0; t < (1 << 24); t += 8) {
    for (int lane = 0; lane < 8; ++lane) {
      const int abc = t + lane, a = abc >> 16, b = (abc >> 8) & 255, c = abc & 255;
      prev[size_t(lane)] = uint8_t(c), prev[size_t(8 + lane)] = uint8_t(b);
      in[size_t(lane)] = uint8_t(a - c);
      in[size_t(8 + lane)] = uint8_t(lane * 37);
    }
    UnfilterRow(4, in.data(), out.data(), prev.data(), 16, 8);
    for (int lane = 0; lane < 8; ++lane) {
      const int abc = t + lane;
      const uint8_t expected = uint8_t(lane * 37 + Paeth(abc >> 16, (abc >> 8) & 255, abc & 255));
      if (out[size_t(8 + lane)] != expected && wrong++ < 5)
        ADD_FAILURE() << "a " << (abc >> 16) << " b " << ((abc >> 8) & 255) << " c " << (abc & 255);
    }
  }
  EXPECT_EQ(wrong, 0u);
}

TEST(Png, EveryFilterOnEveryLayoutGivesThePictureOfNone) {
  // Random samples in every allowed colour type and depth, at widths around the register
  // widths, plain and interlaced: each filter type on every row, and a different type on each
  // row, decode to what the same rows give unfiltered.
  const std::pair<int, int> layouts[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                                         {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  std::mt19937 random(11);
  std::string palette;
  for (int i = 0; i < 256 * 3; ++i) palette += char(random());
  const std::string plte = Chunk("PLTE", palette);
  for (const auto& [colorType, depth] : layouts)
    for (uint32_t width : {1u, 2u, 3u, 5u, 6u, 7u, 8u, 11u, 15u, 16u, 17u, 31u, 33u})
      for (int interlace : {0, 1}) {
        const TLayout l{width, 9, depth, colorType, interlace};
        size_t size = 0;
        for (const auto& [pw, ph] : l.Passes()) size += l.RowBytes(pw) * ph;
        Bytes rows(size);
        for (auto& v : rows) v = uint8_t(random());
        const std::string extra = colorType == 3 ? plte : "";
        const QImage none = Decode(Png(l, extra, Chunk("IDAT", Deflate(Filtered(l, rows, [](uint32_t) { return 0; })))));
        ASSERT_FALSE(none.isNull());
        for (int type = 1; type <= 5; ++type) {
          auto choose = [type](uint32_t r) { return type <= 4 ? type : int(r % 5); };
          const QImage filtered = Decode(Png(l, extra, Chunk("IDAT", Deflate(Filtered(l, rows, choose)))));
          ASSERT_TRUE(filtered == none) << "colour type " << colorType << ", depth " << depth << ", width " << width
                                        << (interlace ? ", interlaced" : "") << ", filter " << (type <= 4 ? type : -1);
        }
      }
}

TEST(PngSuite, EveryFilterOnEveryLayoutMatchesTheReferences) {
  if (!QDir(kSuite).exists()) GTEST_SKIP() << "the public picture suites are not at " << kSuite.toStdString();
  // The suite's pictures of every bit depth and colour type, plain and interlaced, taken apart
  // into their samples, filtered again with each type, and decoded: the primary ones must give
  // their reference renderings, the 16-bit ones what their own file gives.
  int checked = 0;
  for (const char* folder : {"primary", "16bit"}) {
    const QStringList names = QDir(kSuite + "/" + folder).entryList({"bas*.png"}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
      const std::string file = sftest::ReadFile((kSuite + "/" + folder + "/" + name).toStdString());
      TLayout l{};
      std::string ancillary, packed;
      for (size_t at = 8; at + 12 <= file.size();) {
        const auto* p = reinterpret_cast<const uint8_t*>(file.data() + at);
        const uint32_t length = uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
        const std::string type = file.substr(at + 4, 4), body = file.substr(at + 8, length);
        if (type == "IHDR") {
          const auto* b = reinterpret_cast<const uint8_t*>(body.data());
          l = {uint32_t(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3], uint32_t(b[4]) << 24 | b[5] << 16 | b[6] << 8 | b[7], b[8], b[9], b[12]};
        } else if (type == "PLTE" || type == "tRNS") {
          ancillary += Chunk(type.c_str(), body);
        } else if (type == "IDAT") {
          packed += body;
        }
        at += 12 + length;
      }
      size_t inflated = 0;
      for (const auto& [pw, ph] : l.Passes()) inflated += (l.RowBytes(pw) + 1) * ph;
      Bytes raw(inflated);
      uLongf n = uLongf(raw.size());
      ASSERT_EQ(uncompress(raw.data(), &n, reinterpret_cast<const Bytef*>(packed.data()), uLong(packed.size())), Z_OK);
      // The samples: each row unfiltered a byte at a time.
      Bytes rows;
      size_t at = 0;
      for (const auto& [pw, ph] : l.Passes()) {
        const size_t rb = l.RowBytes(pw);
        Bytes above(rb, 0), row(rb);
        for (uint32_t r = 0; r < ph; ++r, at += rb + 1) {
          ASSERT_TRUE(UnfilterRowPortable(raw[at], raw.data() + at + 1, row.data(), above.data(), rb, l.Bpp()));
          rows.insert(rows.end(), row.begin(), row.end());
          above = row;
        }
      }
      const QImage expected = QString(folder) == "primary"
                                  ? QImage(kSuite + "/primary_check/" + name).convertToFormat(QImage::Format_ARGB32)
                                  : Decode(file).convertToFormat(QImage::Format_ARGB32);
      ASSERT_FALSE(expected.isNull()) << name.toStdString();
      for (int type = 0; type <= 5; ++type) {
        auto choose = [type](uint32_t r) { return type <= 4 ? type : int(r % 5); };
        const QImage ours = Decode(Png(l, ancillary, Chunk("IDAT", Deflate(Filtered(l, rows, choose))))).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(ours.size(), expected.size()) << name.toStdString();
        int differing = 0;
        for (int y = 0; y < ours.height(); ++y)
          for (int x = 0; x < ours.width(); ++x) {
            const QRgb p = ours.pixel(x, y), q = expected.pixel(x, y);
            differing += p != q && !(qAlpha(p) == 0 && qAlpha(q) == 0);
          }
        EXPECT_EQ(differing, 0) << name.toStdString() << ", filter " << (type <= 4 ? type : -1);
      }
      ++checked;
    }
  }
  EXPECT_GE(checked, 30);
}

TEST(Png, DamagedStreamsAreRefusedAndSplitOnesJoined) {
  std::mt19937 random(3);
  const TLayout l{40, 7, 8, 2, 0};
  Bytes rows(l.RowBytes(40) * 7);
  for (auto& v : rows) v = uint8_t(random() % 16);
  const Bytes raw = Filtered(l, rows, [](uint32_t r) { return int(r % 5); });
  const std::string stream = Deflate(raw);
  const std::string good = Png(l, "", Chunk("IDAT", stream));
  const QImage picture = Decode(good);
  ASSERT_EQ(picture.size(), QSize(40, 7));

  // The same stream over several IDAT chunks, one of them empty, gives the same picture.
  const std::string split = Png(l, "", Chunk("IDAT", stream.substr(0, 1)) + Chunk("IDAT", "") + Chunk("IDAT", stream.substr(1, 9)) +
                                           Chunk("IDAT", stream.substr(10)));
  EXPECT_TRUE(Decode(split) == picture);
  // Bytes after the end of the stream are passed over, as they always were.
  EXPECT_TRUE(Decode(Png(l, "", Chunk("IDAT", stream + "trailing"))) == picture);

  // A filter type beyond 4, in the first, a middle or the last row, plain or interlaced.
  for (size_t row : {0u, 3u, 6u})
    for (uint8_t type : {5, 255}) {
      Bytes bad = raw;
      bad[row * (l.RowBytes(40) + 1)] = type;
      EXPECT_EQ(Message(Png(l, "", Chunk("IDAT", Deflate(bad)))), "Load image error!") << row << " " << int(type);
    }
  const TLayout il{40, 7, 8, 2, 1};
  Bytes interlaced = Filtered(il, rows, [](uint32_t) { return 1; });
  interlaced[interlaced.size() - l.RowBytes(40) - 1] = 7;  // the last pass's last row
  EXPECT_EQ(Message(Png(il, "", Chunk("IDAT", Deflate(interlaced)))), "Load image error!");

  // A stream that ends early, one that inflates to a byte more or a byte less than the picture
  // holds, and one whose checksum does not match.
  EXPECT_EQ(Message(Png(l, "", Chunk("IDAT", stream.substr(0, stream.size() / 2)))), "Load image error!");
  EXPECT_EQ(Message(Png(l, "", Chunk("IDAT", stream.substr(0, stream.size() - 1)))), "Load image error!");
  Bytes longer = raw, shorter = raw;
  longer.push_back(0);
  shorter.pop_back();
  EXPECT_EQ(Message(Png(l, "", Chunk("IDAT", Deflate(longer)))), "Load image error!");
  EXPECT_EQ(Message(Png(l, "", Chunk("IDAT", Deflate(shorter)))), "Load image error!");
  std::string adler = stream;
  adler.back() = char(adler.back() ^ 1);
  EXPECT_EQ(Message(Png(l, "", Chunk("IDAT", adler))), "Load image error!");
  EXPECT_EQ(Message(Png(l, "", Chunk("IDAT", ""))), "Load image error!");
}

TEST(StreamDecoders, ZlibStreamCutShortLeavesWhatCouldBeRead) {
  // The one-call inflate refuses a damaged stream as a whole; the stream decoder then gives
  // what could be read before the damage, and says how far it went.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += char('a' + i * 7 % 26);
  const std::string packed = Deflate(Bytes(text.begin(), text.end()));
  for (size_t cut : {packed.size() / 2, packed.size() - 5}) {
    Bytes out(text.size(), 0);
    const uint8_t* source = reinterpret_cast<const uint8_t*>(packed.data());
    uint8_t* dest = out.data();
    TLZ77Decoder zlib(Z_FINISH);
    zlib.DecodeInit();
    EXPECT_FALSE(zlib.Decode(source, dest, cut, out.size()));
    const size_t made = size_t(dest - out.data());
    EXPECT_GT(made, 0u) << cut;
    EXPECT_EQ(std::memcmp(out.data(), text.data(), made), 0) << cut;
    EXPECT_EQ(size_t(source - reinterpret_cast<const uint8_t*>(packed.data())), cut);
  }
}
