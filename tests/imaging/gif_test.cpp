// GIF against the giflib pictures (their first image as raw RGB) and Pillow's edge cases.
#include <QDir>
#include <gtest/gtest.h>

#include "container/picture.h"
#include "imaging/gif.h"
#include "imaging/graphic.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {
const QString kGif = QString(SHOWFORGE_TESTDATA) + "/gif";

QImage Decode(const std::string& bytes) {
  return DecodeGif(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
QImage DecodeFile(const QString& path) { return Decode(sftest::ReadFile(path.toStdString())); }

// The number of images in a GIF file, by walking its blocks.
int ImageCount(const std::string& d) {
  size_t i = 13;
  if (uint8_t(d[10]) & 0x80) i += 3 * (size_t(2) << (d[10] & 7));
  int images = 0;
  auto skipBlocks = [&] {
    while (i < d.size() && d[i] != 0) i += size_t(uint8_t(d[i])) + 1;
    ++i;
  };
  while (i < d.size()) {
    const uint8_t b = uint8_t(d[i]);
    if (b == 0x21) {
      i += 2;
      skipBlocks();
    } else if (b == 0x2C) {
      ++images;
      const uint8_t flags = uint8_t(d[i + 9]);
      i += 10;
      if (flags & 0x80) i += 3 * (size_t(2) << (flags & 7));
      ++i;  // the code size
      skipBlocks();
    } else {
      break;
    }
  }
  return images;
}
}  // namespace

TEST(GifSuite, GiflibPicturesGiveTheirExpectedRgb) {
  if (!QDir(kGif).exists()) GTEST_SKIP() << "the public picture suites are not at " << kGif.toStdString();
  const QStringList files = QDir(kGif + "/giflib").entryList({"*.gif"}, QDir::Files, QDir::Name);
  ASSERT_GE(files.size(), 8);
  int checked = 0;
  for (const QString& name : files) {
    const QString path = kGif + "/giflib/" + name;
    // The expected pixels of an animation are its last screen, not its first image.
    if (ImageCount(sftest::ReadFile(path.toStdString())) != 1) continue;
    ++checked;
    const QImage image = DecodeFile(path);
    const std::string rgb = sftest::ReadFile((path.chopped(4) + ".rgb").toStdString());
    ASSERT_EQ(rgb.size(), size_t(image.width()) * size_t(image.height()) * 3) << name.toStdString();
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    int differing = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QRgb p = image.pixel(x, y);
        const auto* q = reinterpret_cast<const uint8_t*>(rgb.data()) + (size_t(y) * size_t(image.width()) + size_t(x)) * 3;
        differing += qRed(p) != q[0] || qGreen(p) != q[1] || qBlue(p) != q[2];
      }
    EXPECT_EQ(differing, 0) << name.toStdString();
  }
  EXPECT_GE(checked, 6);
  // Interlaced and plain storage of one picture give one picture.
  EXPECT_EQ(DecodeFile(kGif + "/giflib/treescap.gif"), DecodeFile(kGif + "/giflib/treescap-interlaced.gif"));
}

TEST(GifSuite, PillowEdgeCases) {
  if (!QDir(kGif).exists()) GTEST_SKIP() << "the public picture suites are not at " << kGif.toStdString();
  const QImage hopper = DecodeFile(kGif + "/pillow/hopper.gif");
  EXPECT_EQ(hopper.size(), QSize(128, 128));
  const QImage noPalette = DecodeFile(kGif + "/pillow/no_palette.gif");  // grey levels stand in
  EXPECT_EQ(noPalette.size(), QSize(1, 1));
  EXPECT_EQ(DecodeFile(kGif + "/pillow/text_mono.gif").size(), QSize(100, 30));
  EXPECT_FALSE(DecodeFile(kGif + "/pillow/iss634.gif").isNull());
  for (const char* f : {"zero_width.gif", "decompression_bomb.gif"}) {
    try {
      const QImage image = DecodeFile(kGif + "/pillow/" + f);
      EXPECT_LE(int64_t(image.width()) * image.height(), kMaxPicturePixels) << f;
    } catch (const EInvalidGraphic& e) {
      EXPECT_TRUE(std::string(e.what()) == "Invalid GIF image format." || std::string(e.what()) == "GIF LZW: invalid opcode.")
          << f << ": " << e.what();
    }
  }
}

TEST(Gif, HandMadeFilesAndTheirFaults) {
  // A 2 x 2 picture of a 4-colour table, LZW with code size 2: clear, 0, 1, 2, 3, end.
  std::string gif = std::string("GIF89a\x02\x00\x02\x00\x81\x00\x00", 13);
  gif += std::string("\x00\x00\x00\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF", 12);
  gif += std::string("\x21\xF9\x04\x00\x00\x00\x2C\x00", 8);  // an extension whose data hold ',' and 0
  gif += std::string(",\x00\x00\x00\x00\x02\x00\x02\x00\x00\x02", 11);
  // Codes of 3 bits, low bit first: 4 (clear), 0, 1, 2; the table then reaches 8 entries and
  // the codes grow to 4 bits: 3, 5 (end).
  const uint32_t codes = 4 | 0 << 3 | 1 << 6 | 2 << 9 | 3 << 12 | 5 << 16;
  gif += std::string("\x03", 1) + char(codes & 0xFF) + char((codes >> 8) & 0xFF) + char((codes >> 16) & 0xFF) +
         std::string("\x00;", 2);
  const QImage image = Decode(gif);
  ASSERT_EQ(image.size(), QSize(2, 2));
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(1, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(0, 1), qRgb(0, 255, 0));
  EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 255));

  // A code beyond the table.
  std::string bad = gif;
  const uint32_t wrong = 4 | 7 << 3;
  bad[bad.size() - 5] = char(wrong & 0xFF);
  bad[bad.size() - 4] = char(wrong >> 8);
  try {
    Decode(bad);
    ADD_FAILURE();
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "GIF LZW: invalid opcode.");
  }
  // Cut anywhere: an error or a picture, never a read past the end.
  for (size_t cut = 0; cut < gif.size(); ++cut) {
    try {
      Decode(gif.substr(0, cut));
    } catch (const EInvalidGraphic&) {
    }
  }
  EXPECT_THROW(Decode("PNG89a............."), EInvalidGraphic);
  EXPECT_NO_THROW(Decode(std::string("gif89a\x01\x00\x01\x00\x00\x00\x00;", 14)));  // case does not count
  EXPECT_TRUE(Decode(std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14)).isNull());  // no image at all
  QImage loaded;
  EXPECT_TRUE(LoadPictureStream(QByteArray::fromStdString(gif), loaded, fcGif));
  EXPECT_EQ(loaded.size(), QSize(2, 2));
}
