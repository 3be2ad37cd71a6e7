#include <QDir>
#include <gtest/gtest.h>
#include <set>

#include "platform/ansi.h"
#include "platform/random.h"
#include "platform/tempdir.h"

using namespace sf;

TEST(Ansi, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(char(b));
  bool exact = false;
  EXPECT_EQ(UnicodeToAnsi(AnsiToUnicode(all), &exact), all);
  EXPECT_TRUE(exact);
}

TEST(Ansi, DecodesTheWindows1252Range) {
  EXPECT_EQ(AnsiToUnicode("\x80"), QString(QChar(0x20AC)));  // euro sign
  EXPECT_EQ(AnsiToUnicode("\x93quoted\x94"), QString::fromUtf8("\u201Cquoted\u201D"));
  EXPECT_EQ(AnsiToUnicode("caf\xE9"), QString::fromUtf8("café"));
  EXPECT_EQ(AnsiToUnicode("\x81").at(0).unicode(), 0x81);  // undefined: kept as its number
}

TEST(Ansi, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  bool exact = true;
  EXPECT_EQ(UnicodeToAnsi(QString::fromUtf8("a\u4E2Db"), &exact), "a?b");
  EXPECT_FALSE(exact);
}

TEST(Random, SameSeedSameSequenceAndAlwaysInRange) {
  RandSeed(1234);
  std::vector<int> a;
  for (int i = 0; i < 100; ++i) a.push_back(Random(13));
  RandSeed(1234);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(Random(13), a[size_t(i)]);
  std::set<int> seen;
  for (int i = 0; i < 2000; ++i) {
    int v = Random(13);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 13);
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 13u);  // every value turns up
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  EXPECT_EQ(Random(1), 0);
}

TEST(TempDir, IsPrivateAndStable) {
  QString dir = PrivateTempDir();
  ASSERT_FALSE(dir.isEmpty());
  EXPECT_TRUE(dir.endsWith('/'));
  EXPECT_EQ(dir, PrivateTempDir());
  QFileInfo info(dir);
  EXPECT_TRUE(info.isDir());
  EXPECT_EQ(info.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
            QFile::Permissions());
}

TEST(Random, ARunDrawsWhatRandomDrawsAcrossItsBatches) {
  // More draws than one batch holds, with ranges that change from draw to draw.
  RandSeed(987654321);
  std::vector<int32_t> plain;
  for (int i = 0; i < 10000; ++i) plain.push_back(Random(1 + i % 37));
  const uint32_t after = CurrentRandSeed();
  RandSeed(987654321);
  {
    TRandomRun run;
    for (int i = 0; i < 10000; ++i) ASSERT_EQ(run(1 + i % 37), plain[size_t(i)]) << i;
  }
  // The generator goes on from where the run stopped, not from where its batch ended.
  EXPECT_EQ(CurrentRandSeed(), after);
  RandSeed(5);
  { TRandomRun run; }
  EXPECT_EQ(CurrentRandSeed(), 5u);
}
