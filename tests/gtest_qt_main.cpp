#include <gtest/gtest.h>

#include <QApplication>

// One QApplication per test program: widget tests need it, timers and events need its loop.
int main(int argc, char **argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
