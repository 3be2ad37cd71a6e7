// The main() of every test program: a QApplication (text drawing and the run window need one) on the
// offscreen platform, a private runtime folder to keep Qt quiet, and the registry in a folder
// of the test's own.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

#include "tests/common/testutil.h"

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("XDG_RUNTIME_DIR", sftest::ScratchDir("runtime").c_str(), 1);
  setenv("SHOWFORGE_REGISTRY_DIR", sftest::ScratchDir("registry").c_str(), 1);
  setenv("SHOWFORGE_AUDIO", "null", 0);  // the media player plays without sound
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
