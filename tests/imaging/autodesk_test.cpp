// Autodesk Animator cels: the Animator sources' own files, and hand-made faults.
#include <QDir>
#include <gtest/gtest.h>

#include "container/picture.h"
#include "imaging/autodesk.h"
#include "imaging/graphic.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {
const QString kCel = QString(SHOWFORGE_TESTDATA) + "/cel/animator";
QImage Decode(const std::string& b) { return DecodeAutodesk(reinterpret_cast<const uint8_t*>(b.data()), b.size()); }
}  // namespace

TEST(AutodeskSuite, AnimatorCelsDecode) {
  if (!QDir(kCel).exists()) GTEST_SKIP() << "the public picture suites are not at " << kCel.toStdString();
  const QImage crosshair = Decode(sftest::ReadFile((kCel + "/CRSHAIR.CEL").toStdString()));
  EXPECT_EQ(crosshair.size(), QSize(314, 146));
  EXPECT_EQ(crosshair.format(), QImage::Format_Indexed8);
  EXPECT_EQ(Decode(sftest::ReadFile((kCel + "/ZIN.CEL").toStdString())).size(), QSize(6, 6));
  const QImage zoom = Decode(sftest::ReadFile((kCel + "/ZOUT.CEL").toStdString()));
  EXPECT_EQ(zoom.size(), QSize(6, 5));
  // The palette's 6-bit levels: 0x3F is full brightness, 0x20 about half.
  EXPECT_EQ(zoom.color(1), qRgb(0, 0, 0x82));
  EXPECT_EQ(zoom.color(2), qRgb(0, 0, 0xFF));
}

TEST(Autodesk, HandMadeCelAndFaults) {
  std::string cel(32, '\0');
  cel[0] = 0x19, cel[1] = char(0x91), cel[2] = 2, cel[4] = 1, cel[10] = 8;
  std::string palette(768, '\0');
  palette[3] = 0x3F;  // entry 1: red
  cel += palette + std::string("\x01\x00", 2);
  const QImage image = Decode(cel);
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0));
  EXPECT_THROW(Decode(cel.substr(0, cel.size() - 1)), EInvalidGraphic);
  std::string wrong = cel;
  wrong[1] = char(0x92);
  try {
    Decode(wrong);
    ADD_FAILURE();
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Invalid Autodesk image format.");
  }
  QImage loaded;
  EXPECT_TRUE(LoadPictureStream(QByteArray::fromStdString(cel), loaded, fcAutodesk));
}
