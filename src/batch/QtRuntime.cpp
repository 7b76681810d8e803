#include "batch/QtRuntime.h"

#include <QApplication>

#include "ui/Main.h"

#include <cstdio>

namespace volmar {

namespace {

// Standard error carries the script's messages, one kind a line. The
// toolkit's notes about the display-less platform (no runtime folder, no
// window manager hints) are not the user's concern there; its errors are.
void batchQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type != QtCriticalMsg && type != QtFatalMsg) return;
  std::fprintf(stderr, "volmar-batch: Qt: %s\n", text.toLocal8Bit().constData());
  std::fflush(stderr);
}

}  // namespace

void ensureQtApplication() {
  if (QCoreApplication::instance()) return;
  qInstallMessageHandler(batchQtMessages);
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
