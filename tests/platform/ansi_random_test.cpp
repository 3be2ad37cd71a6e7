#include <QDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/shm.h>
#include <set>
#include <vector>

#include "platform/ansi.h"
#include "platform/random.h"
#include "platform/scratch.h"
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
  TRandom random(1234);
  std::vector<int> a;
  for (int i = 0; i < 100; ++i) a.push_back(random.Random(13));
  random.Seed(1234);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(random.Random(13), a[size_t(i)]);
  std::set<int> seen;
  for (int i = 0; i < 2000; ++i) {
    int v = random.Random(13);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 13);
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 13u);  // every value turns up
  EXPECT_EQ(random.Random(0), 0);
  EXPECT_EQ(random.Random(-5), 0);
  EXPECT_EQ(random.Random(1), 0);
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

TEST(Random, BytesAreWhatRandomDraws) {
  // Counts around the 32 and 64 side-by-side seeds, the smallest and largest ranges, and a seed
  // whose next draws sit on the edges of the range; every vector path the processor has.
  for (const uint32_t range : {1u, 6u, 37u, 256u})
    for (const size_t n : {size_t(0), size_t(1), size_t(31), size_t(32), size_t(33), size_t(63), size_t(64),
                           size_t(65), size_t(100003)})
      for (const uint32_t start : {987654321u, 0u, 0xffffffffu}) {
        TRandom random(start);
        std::vector<uint8_t> plain(n);
        for (uint8_t& b : plain) b = uint8_t(random.Random(int32_t(range)));
        const uint32_t after = random.CurrentSeed();
        for (const TVectorUnit unit : {TVectorUnit::None, TVectorUnit::Avx2, TVectorUnit::Avx512}) {
          std::vector<uint8_t> bytes(n + 1, 0xee);
          EXPECT_EQ(RandomBytesWith(unit, start, bytes.data(), n, range), after) << range << " " << n;
          EXPECT_EQ(bytes[n], 0xee) << "wrote past the end";
          bytes.pop_back();
          EXPECT_EQ(bytes, plain) << int(unit) << " " << range << " " << n;
        }
        std::vector<uint8_t> best(n);
        RandomBytes(start, best.data(), n, range);
        EXPECT_EQ(best, plain);
        EXPECT_EQ(SeedAfter(start, n), after);
      }
  EXPECT_EQ(SeedAfter(5, 0), 5u);
  TRandom random(5);
  for (int i = 0; i < 1000000; ++i) random.Random(2);
  EXPECT_EQ(SeedAfter(5, 1000000), random.CurrentSeed());
}

TEST(Scratch, ZeroedWritableAndMovedNotFreedTwice) {
  // Sizes under, at and past a large page: all zero, every byte writable (ASan would see a
  // write past the end), and a move leaves its source empty so that only one of the two frees.
  for (const size_t n : {size_t(1), size_t(4095), size_t(2) << 20, (size_t(2) << 20) + 1, size_t(5000000)}) {
    TScratch a(n);
    ASSERT_EQ(a.size(), n);
    ASSERT_NE(a.data(), nullptr);
    EXPECT_EQ(std::count(a.data(), a.data() + n, uint8_t(0)), std::ptrdiff_t(n)) << n;
    std::fill(a.data(), a.data() + n, uint8_t(0xa5));
    TScratch b(std::move(a));
    EXPECT_EQ(a.data(), nullptr);
    EXPECT_EQ(a.size(), 0u);
    EXPECT_EQ(b.data()[n - 1], 0xa5);
    a = std::move(b);
    EXPECT_EQ(a.data()[0], 0xa5);
    EXPECT_EQ(b.size(), 0u);
  }
  EXPECT_EQ(TScratch(0).data(), nullptr);
}

TEST(Scratch, LargeBitmapsNeverShareLiveMemoryAndCopiesKeepOthersIntact) {
  // Rows as QImage lays them out, over and under the megabyte where large pages begin.
  for (const QSize size : {QSize(1920, 1080), QSize(100, 100), QSize(513, 511)}) {
    QImage image = NewLargeBitmap(size.width(), size.height(), QImage::Format_RGB888);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.bytesPerLine(), QImage(size, QImage::Format_RGB888).bytesPerLine());
    image.fill(Qt::red);  // every row writable
    EXPECT_EQ(image.pixel(size.width() - 1, size.height() - 1), qRgb(255, 0, 0));
  }
  // The memory of a freed bitmap serves the next; never one still in use.
  QImage a = NewLargeBitmap(1920, 1080, QImage::Format_RGB32), b = NewLargeBitmap(1920, 1080, QImage::Format_RGB32);
  a.fill(Qt::blue);
  b.fill(Qt::green);
  a = QImage();
  QImage c = NewLargeBitmap(1900, 1000, QImage::Format_RGB32);
  c.fill(Qt::white);
  EXPECT_EQ(b.pixel(1919, 1079), qRgb(0, 255, 0));
  EXPECT_NE(c.constBits(), b.constBits());

  // A copy into a bitmap of the same size uses its pixels; one that shares them with another
  // leaves the other as it was.
  QImage into = NewLargeBitmap(1920, 1080, QImage::Format_RGB32);
  into.fill(Qt::black);
  const uchar* before = into.constBits();
  AssignBitmap(into, b);
  EXPECT_EQ(into.constBits(), before);
  EXPECT_TRUE(into == b);
  const QImage other = into;
  AssignBitmap(into, c.copy(0, 0, 1920, 1080));
  EXPECT_EQ(other.pixel(5, 5), qRgb(0, 255, 0));
  EXPECT_EQ(into.pixel(5, 5), qRgb(255, 255, 255));
  AssignBitmap(into, QImage(10, 20, QImage::Format_RGB32));  // another size
  EXPECT_EQ(into.size(), QSize(10, 20));
  AssignBitmap(into, QImage());
  EXPECT_TRUE(into.isNull());
}

TEST(Scratch, PageToucherLeavesTheBytesAsTheyAre) {
  // Odd starts and ends, a page boundary inside the first word: every byte keeps its value, and
  // nothing past the end is touched (ASan sees a write past it).
  std::vector<uint8_t> bytes(3 * 4096 + 123);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 31 + 7);
  const std::vector<uint8_t> before = bytes;
  TPageToucher toucher;
  for (const size_t start : {size_t(0), size_t(1), size_t(4094), size_t(4095)}) {
    toucher.Begin(bytes.data() + start, bytes.size() - start - 3);
    toucher.Begin(bytes.data() + start, 2);  // waits for the one before, then a run too short to touch
    toucher.Wait();
    EXPECT_EQ(bytes, before) << start;
  }
  toucher.Begin(nullptr, 100);
  toucher.Wait();
}

TEST(Scratch, PageToucherKeepsSharedMemory) {
  // A window's backing store lies in memory shared with the X server, whose pages the kernel
  // maps in from the segment: what is in them stays, and a segment not yet touched reads 0.
  const size_t bytes = 64 * 4096 + 200;
  const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  ASSERT_GE(id, 0);
  auto* data = static_cast<uint8_t*>(shmat(id, nullptr, 0));
  shmctl(id, IPC_RMID, nullptr);  // freed with the last detach
  ASSERT_NE(data, reinterpret_cast<uint8_t*>(-1));
  for (size_t i = 0; i < bytes / 2; ++i) data[i] = uint8_t(i * 13 + 1);
  TPageToucher toucher;
  toucher.Begin(data + 3, bytes - 3);
  toucher.Wait();
  for (size_t i = 0; i < bytes; ++i)
    ASSERT_EQ(data[i], i < bytes / 2 ? uint8_t(i * 13 + 1) : 0) << i;
  shmdt(data);
}
