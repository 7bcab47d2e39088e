// Test entry point: a QApplication on the offscreen platform unless another is chosen.
#include "platform/StreamRecordCache.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <cstdlib>

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  // Every reused stream record is checked against a fresh write, so any test that saves
  // after an edit also shows that the edit reached the element's kept record.
  StreamRecordCheck() = true;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
