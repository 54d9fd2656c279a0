// Widget tests need a QApplication, but test discovery runs this binary at build time without a
// display: the application is only created when tests actually run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <memory>

#include "TestSupport.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  auto app = std::make_unique<QApplication>(argc, argv);
  orlo::ui::test::UseSourceSkin();
  return RUN_ALL_TESTS();
}
