#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/instancelock.h"

using namespace sf;

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
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  if (child == 0) {
    TNamedMutex held("sf_lock_crash");
    char c = held.AlreadyExists() ? 'x' : 'k';
    (void)!write(ready[1], &c, 1);
    pause();  // killed below, never ends by itself
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  EXPECT_EQ(c, 'k');
  EXPECT_TRUE(TNamedMutex("sf_lock_crash").AlreadyExists());
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_FALSE(TNamedMutex("sf_lock_crash").AlreadyExists());
}
