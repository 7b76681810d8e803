#include "batch/QtRuntime.h"

#include <QApplication>

#include "ui/Main.h"

namespace volmar {

void ensureQtApplication() {
  if (QCoreApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "volmar-batch";
  static char* argv[] = {name, nullptr};
  // Lives until the process ends: widgets are made and destroyed inside the
  // commands, the application object outlasts them all.
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
  QApplication::setApplicationName(QStringLiteral("Volmar32"));
  // Qt takes the system locale for C conversions as well.
  useFixedDecimalPoint();
}

}  // namespace volmar
