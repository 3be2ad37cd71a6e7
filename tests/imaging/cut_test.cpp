// Dr. Halo CUT and PAL: no public samples exist, so the files are made here from the format's
// description (a word with each row's packed length, code bytes, 0 at the end of a row) and
// checked against ImageMagick's reading where it is installed.
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <fstream>

#include "container/picture.h"
#include "imaging/cut.h"
#include "imaging/graphic.h"
#include "tests/common/rejection.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {

QImage Decode(const std::string& b) { return DecodeCut(reinterpret_cast<const uint8_t*>(b.data()), b.size()); }

std::string Message(const std::string& b) {
  return sftest::RejectionOf([&] { Decode(b); });
}

// Writes a file at a full path (a .cut and its .pal must share a folder and a name).
QString Put(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
  return QString::fromStdString(path);
}

std::string Word(int v) { return std::string{char(v & 0xFF), char(v >> 8)}; }

// Packs one row with runs of equal bytes (code 0x80 | n) and literals (code n), then the end code.
std::string PackRow(const std::vector<uint8_t>& row) {
  std::string out;
  for (size_t i = 0; i < row.size();) {
    size_t run = 1;
    while (i + run < row.size() && row[i + run] == row[i] && run < 127) ++run;
    if (run >= 3) {
      out += char(0x80 | run);
      out += char(row[i]);
      i += run;
      continue;
    }
    size_t n = 0;
    while (i + n < row.size() && n < 127 && !(i + n + 2 < row.size() && row[i + n] == row[i + n + 1] && row[i + n] == row[i + n + 2])) ++n;
    out += char(n);
    out.append(reinterpret_cast<const char*>(row.data() + i), n);
    i += n;
  }
  return out + '\0';
}

std::string MakeCut(const std::vector<std::vector<uint8_t>>& rows, bool counted = true) {
  std::string f = Word(int(rows[0].size())) + Word(int(rows.size())) + Word(0);
  for (const auto& r : rows) {
    const std::string packed = PackRow(r);
    if (counted) f += Word(int(packed.size()));
    f += packed;
  }
  return f;
}

std::vector<std::vector<uint8_t>> Rows(int w, int h) {
  std::vector<std::vector<uint8_t>> rows(static_cast<size_t>(h), std::vector<uint8_t>(static_cast<size_t>(w)));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) rows[size_t(y)][size_t(x)] = uint8_t(x < w / 2 ? (y * 7) & 0xFF : (x * 3 + y) & 0xFF);
  return rows;
}

// A palette file: the 40-byte header, then R, G, B words in 512-byte blocks no entry crosses.
std::string MakePal(int maxLevel) {
  std::string f = "AH" + Word(0) + Word(0) + std::string{10, 0} + Word(0) + Word(0) + Word(255) + Word(maxLevel) +
                  Word(maxLevel) + Word(maxLevel);
  f += std::string("Dr. Halo").append(12, '\0');
  for (int i = 0; i < 256; ++i) {
    if (f.size() / 512 != (f.size() + 5) / 512) f.append(512 - f.size() % 512, '\0');
    f += Word(i % (maxLevel + 1)) + Word(maxLevel - i % (maxLevel + 1)) + Word(0);
  }
  return f;
}

}  // namespace

TEST(Cut, RowsRunsAndGreyPalette) {
  const auto rows = Rows(300, 5);  // rows longer than one code's 127 bytes
  const QImage image = Decode(MakeCut(rows));
  ASSERT_EQ(image.size(), QSize(300, 5));
  EXPECT_EQ(image.format(), QImage::Format_Indexed8);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 300; ++x) ASSERT_EQ(image.pixelIndex(x, y), rows[size_t(y)][size_t(x)]) << x << "," << y;
  EXPECT_EQ(image.color(77), qRgb(77, 77, 77));  // a stream has no palette file: entry i is grey i
  // Rows one after the other without their length words read the same.
  EXPECT_EQ(Decode(MakeCut(rows, false)), image);
}

TEST(Cut, ImageMagickReadsTheSame) {
  if (!sftest::HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
  const auto rows = Rows(37, 9);
  const std::string dir = sftest::ScratchDir("cut");
  const QString path = Put(dir + "/pic.cut", MakeCut(rows));
  QProcess p;
  p.start("convert", {path, "-depth", "8", "gray:-"});
  ASSERT_TRUE(p.waitForFinished(60000));
  const QByteArray grey = p.readAllStandardOutput();
  ASSERT_EQ(grey.size(), 37 * 9);
  const QImage image = Decode(MakeCut(rows));
  for (int i = 0; i < grey.size(); ++i) ASSERT_EQ(qRed(image.pixel(i % 37, i / 37)), uint8_t(grey[i])) << i;
  // With the palette file beside it both take their colours from it.
  Put(dir + "/pic.pal", MakePal(63));
  p.start("convert", {path, "-depth", "8", "rgb:-"});
  ASSERT_TRUE(p.waitForFinished(60000));
  const QByteArray rgb = p.readAllStandardOutput();
  QImage loaded;
  ASSERT_TRUE(LoadPictureFile(path, loaded));
  ASSERT_EQ(rgb.size(), 37 * 9 * 3);
  for (int i = 0; i < 37 * 9; ++i) {
    const QRgb c = loaded.pixel(i % 37, i / 37);
    ASSERT_EQ(qRed(c), uint8_t(rgb[3 * i])) << i;
    ASSERT_EQ(qGreen(c), uint8_t(rgb[3 * i + 1])) << i;
  }
}

TEST(Cut, PaletteFileAndFaults) {
  const auto rows = Rows(8, 2);
  const std::string dir = sftest::ScratchDir("cutpal");
  const QString path = Put(dir + "/a.cut", MakeCut(rows));
  Put(dir + "/a.pal", MakePal(63));
  QImage loaded;
  ASSERT_TRUE(LoadPictureFile(path, loaded));
  // Entry 200 lies in the palette's second block; its levels are scaled from 0..63.
  EXPECT_EQ(loaded.color(200), qRgb(200 % 64 * 255 / 63, (63 - 200 % 64) * 255 / 63, 0));
  // Without the palette file, or with one that is not Dr. Halo's, grey levels.
  Put(dir + "/a.pal", "not a palette");
  ASSERT_TRUE(LoadPictureFile(path, loaded));
  EXPECT_EQ(loaded.color(200), qRgb(200, 200, 200));

  const std::string cut = MakeCut(rows);
  EXPECT_EQ(Message(cut.substr(0, 5)), "Invalid CUT image format.");
  EXPECT_EQ(Message(cut.substr(0, cut.size() - 3)), "Invalid CUT image format.");  // the last row is cut
  std::string zero = cut;
  zero[0] = zero[1] = 0;
  EXPECT_EQ(Message(zero), "Invalid CUT image format.");
  // A header that promises far more rows than the data holds is refused before the bitmap is made.
  std::string huge = cut;
  huge[2] = huge[3] = char(0xFF);
  huge[0] = huge[1] = char(0xFF);
  EXPECT_EQ(Message(huge), "Invalid CUT image format.");
  // A row that ends early keeps index 0 for the rest.
  const std::string shortRow = Word(4) + Word(1) + Word(0) + Word(3) + std::string{char(0x82), 9, 0};
  const QImage s = Decode(shortRow);
  EXPECT_EQ(s.pixelIndex(1, 0), 9);
  EXPECT_EQ(s.pixelIndex(3, 0), 0);
}
