#include <gtest/gtest.h>

#include <QCoreApplication>

// The session service needs an application: its thread's event loop does, and
// it wakes the game's thread by posting an event to it.
int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
