// The window tests need one QApplication for the whole run.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/Main.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Volmar32"));
  volmar::useFixedDecimalPoint();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
