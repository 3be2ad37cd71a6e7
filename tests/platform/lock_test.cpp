#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/instancelock.h"

using namespace sf;

namespace {
// A child process that takes a lock with `take` (true when it got it; the lock object is left
// alive), tells so, and waits to be killed; its pid, or -1 when it did not get the lock.
template <typename Take>
pid_t HolderProcess(Take take) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    char c = take() ? 'k' : 'x';
    (void)!write(ready[1], &c, 1);
    pause();  // killed by the test, never ends by itself
    _exit(0);
  }
  char c = 0;
  const bool told = read(ready[0], &c, 1) == 1;
  close(ready[0]);
  close(ready[1]);
  if (told && c == 'k') return child;
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return -1;
}
void Kill(pid_t child) {
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}
}  // namespace

TEST(NamedMutex, SecondHolderSeesItExistsUntilTheFirstIsGone) {
  {
    TNamedMutex first("sf_lock_test");
    EXPECT_FALSE(first.AlreadyExists());
    TNamedMutex second("sf_lock_test");
    EXPECT_TRUE(second.AlreadyExists());
    TNamedMutex other("sf_lock_test_other");
    EXPECT_FALSE(other.AlreadyExists());
  }
  TNamedMutex again("sf_lock_test");
  EXPECT_FALSE(again.AlreadyExists());
}

TEST(NamedMutex, ADeadHolderReleasesTheLock) {
  const pid_t child = HolderProcess([] { return !(new TNamedMutex("sf_lock_crash"))->AlreadyExists(); });
  ASSERT_GT(child, 0);
  EXPECT_TRUE(TNamedMutex("sf_lock_crash").AlreadyExists());
  Kill(child);
  EXPECT_FALSE(TNamedMutex("sf_lock_crash").AlreadyExists());
}

// flock() locks belong to an open file: two lock objects of one name exclude each other within
// one process as they would in two.
TEST(LockFile, TakeIsRefusedWhileAnotherHoldsItAndGrantedAfterItsRelease) {
  TLockFile a("sf_lockfile"), b("sf_lockfile"), other("sf_lockfile_other");
  EXPECT_EQ(a.Path(), b.Path());
  EXPECT_FALSE(a.Held());
  EXPECT_EQ(a.TryTake(), TLockFile::TTake::Taken);
  EXPECT_EQ(a.TryTake(), TLockFile::TTake::Taken);  // held already: still its own
  EXPECT_EQ(b.TryTake(), TLockFile::TTake::Busy);
  EXPECT_FALSE(b.Held());
  EXPECT_EQ(other.TryTake(), TLockFile::TTake::Taken);
  // Neither taking it twice nor a refused take by another gives it up.
  EXPECT_EQ(b.TryTake(), TLockFile::TTake::Busy);
  a.Release();
  EXPECT_FALSE(a.Held());
  a.Release();  // twice is harmless
  EXPECT_EQ(b.TryTake(), TLockFile::TTake::Taken);
  EXPECT_EQ(a.TryTake(), TLockFile::TTake::Busy);
  // The instance lock is the same kind of lock.
  EXPECT_TRUE(TNamedMutex("sf_lockfile").AlreadyExists());
}

TEST(LockFile, TheNoteOfTheLastHolderReachesTheNext) {
  TLockFile a("sf_lockfile_note"), b("sf_lockfile_note");
  EXPECT_FALSE(a.SetNote("7"));  // not held: nothing is written
  ASSERT_EQ(a.TryTake(), TLockFile::TTake::Taken);
  EXPECT_TRUE(a.Note().isEmpty());
  ASSERT_TRUE(a.SetNote("12"));
  ASSERT_TRUE(a.SetNote("3"));  // a shorter note replaces a longer one whole
  EXPECT_EQ(a.Note(), "3");
  EXPECT_TRUE(b.Note().isEmpty());  // not held: nothing to read
  a.Release();
  ASSERT_EQ(b.TryTake(), TLockFile::TTake::Taken);
  EXPECT_EQ(b.Note(), "3");
}

TEST(LockFile, ADeadHolderReleasesItAndALinkIsNeverFollowed) {
  const pid_t child = HolderProcess([] { return (new TLockFile("sf_lockfile_crash"))->TryTake() == TLockFile::TTake::Taken; });
  ASSERT_GT(child, 0);
  TLockFile waiting("sf_lockfile_crash");
  EXPECT_EQ(waiting.TryTake(), TLockFile::TTake::Busy);
  Kill(child);
  EXPECT_EQ(waiting.TryTake(), TLockFile::TTake::Taken);

  // A lock file that is a link (planted to make the program write elsewhere) is refused.
  const QString target = TNamedMutex::LockFolder() + "/sf_target";
  TLockFile linked("sf_lockfile_link");
  ASSERT_EQ(symlink(target.toLocal8Bit().constData(), linked.Path().toLocal8Bit().constData()), 0);
  EXPECT_EQ(linked.TryTake(), TLockFile::TTake::Failed);
  EXPECT_FALSE(linked.Held());
  EXPECT_NE(access(target.toLocal8Bit().constData(), F_OK), 0);
}

TEST(LockFile, NamePartsKeepToSafeBytesAndTheirLength) {
  EXPECT_EQ(LockNamePart("Summer-2024_b"), "Summer-2024_b");
  EXPECT_EQ(LockNamePart("../a b/c"), "___a_b_c");
  EXPECT_EQ(LockNamePart(QString::fromUtf8("Été")), "__t__");  // two bytes for each accented letter
  EXPECT_EQ(LockNamePart(QString(300, 'x')).size(), 48);
  EXPECT_EQ(LockNamePart("abcdef", 3), "abc");
  EXPECT_EQ(LockNamePart(""), "");
}
