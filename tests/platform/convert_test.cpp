#include <gtest/gtest.h>

#include "platform/color.h"
#include "platform/convert.h"

using namespace sf;

TEST(StrToInt, AcceptsDecimalWithLeadingBlanksAndSign) {
  int32_t v = 0;
  EXPECT_TRUE(TryStrToInt("42", v));
  EXPECT_EQ(v, 42);
  EXPECT_TRUE(TryStrToInt("  -7", v));
  EXPECT_EQ(v, -7);
  EXPECT_TRUE(TryStrToInt("+0", v));
  EXPECT_EQ(v, 0);
  EXPECT_TRUE(TryStrToInt("2147483647", v));
  EXPECT_EQ(v, INT32_MAX);
  EXPECT_TRUE(TryStrToInt("-2147483648", v));
  EXPECT_EQ(v, INT32_MIN);
}

TEST(StrToInt, RejectsAnythingElseAndKeepsTheValue) {
  for (const char* bad : {"", " ", "-", "+", "12 ", "1a", "0x10", "$10", "2147483648", "-2147483649",
                          "99999999999999999999", "1.5", "\t5"}) {
    int32_t v = 99;
    EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
    EXPECT_EQ(v, 99) << bad;
  }
}

TEST(StrToInt, ErrorNamesTheOffendingText) {
  try {
    StrToInt("12ab");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12ab' is not a valid integer value");
  }
}

TEST(Trim, StripsBlanksAndControlCharacters) {
  EXPECT_EQ(Trim("  12\t\r\n"), "12");
  EXPECT_EQ(Trim("\x01\x1f 7 \x1f"), "7");
  EXPECT_EQ(Trim("   "), "");
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(-2.5001), -3);
  EXPECT_EQ(RoundHalfEven(127.5), 128);  // the gradient's row 128 of 256
}

TEST(Color, RedIsInTheLowByteAtTheQtBoundary) {
  EXPECT_EQ(ToQRgb(0x0000FF), qRgb(255, 0, 0));
  EXPECT_EQ(ToQRgb(0xFF0000), qRgb(0, 0, 255));
  EXPECT_EQ(FromQRgb(qRgb(1, 2, 3)), 0x030201);
  EXPECT_EQ(ToQRgb(int32_t(0xAB123456)), qRgb(0x56, 0x34, 0x12));  // the high byte is ignored
}

TEST(Rect, LtrbIsExclusiveAndInvertedIsEmpty) {
  QRect r = ltrb(10, 20, 30, 25);
  EXPECT_EQ(RectLeft(r), 10);
  EXPECT_EQ(RectTop(r), 20);
  EXPECT_EQ(RectRight(r), 30);
  EXPECT_EQ(RectBottom(r), 25);
  EXPECT_EQ(r.width(), 20);
  EXPECT_TRUE(ltrb(5, 5, 5, 9).isEmpty());
  EXPECT_TRUE(ltrb(5, 5, 2, 9).isEmpty());
}

TEST(FormatOne, FormatsOneStringArgumentAsTheSystemDoes) {
  auto format = [](const QString& f, const QString& arg = "C:\\a.jpg") {
    QString out;
    return TryFormatOne(f, arg, out) ? out : "error: " + out;
  };
  EXPECT_EQ(format("Missing %s!"), "Missing C:\\a.jpg!");
  EXPECT_EQ(format("%S and %0:s"), "C:\\a.jpg and C:\\a.jpg");  // an index names the argument again
  EXPECT_EQ(format("[%12s]"), "[    C:\\a.jpg]");
  EXPECT_EQ(format("[%-12s]"), "[C:\\a.jpg    ]");
  EXPECT_EQ(format("[%3s]"), "[C:\\a.jpg]");  // a width never cuts
  EXPECT_EQ(format("[%.4s]"), "[C:\\a]");      // a precision does
  EXPECT_EQ(format("[%-6.2s]"), "[C:    ]");
  EXPECT_EQ(format("100%% sure: %s"), "100% sure: C:\\a.jpg");
  EXPECT_EQ(format("no argument"), "no argument");
  EXPECT_EQ(format(""), "");
  EXPECT_EQ(format("%s", ""), "");
  // What the system's Format rejects: a second argument, another conversion, a lone "%".
  EXPECT_EQ(format("%s %s"), "error: C:\\a.jpg ");
  EXPECT_EQ(format("%0:s %s"), "error: C:\\a.jpg ");
  EXPECT_EQ(format("%1:s"), "error: ");
  EXPECT_EQ(format("%d files"), "error: ");
  EXPECT_EQ(format("50%"), "error: 50");
  EXPECT_EQ(format("%-"), "error: ");
}
