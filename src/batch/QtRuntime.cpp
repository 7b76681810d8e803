#include "batch/QtRuntime.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <memory>

#include "ui/Main.h"
#include "ui/Printing.h"

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

// Address space that must be free before the toolkit starts. The font
// library under it does not survive an allocation that fails while it reads
// its configuration or matches a font (it crashes rather than report it), so
// the toolkit and its fonts start only with room to spare, and a command that
// meets a system short of memory ends with the memory message instead.
constexpr std::size_t StartingHeadroom = std::size_t{64} << 20;

void requireHeadroom() {
  std::unique_ptr<char[]> room(new char[StartingHeadroom]);
  // Written as volatile so that the compiler keeps the allocation; the rest
  // is never touched and takes no pages.
  static_cast<volatile char*>(room.get())[0] = 0;
}

}  // namespace

void ensureQtApplication() {
  if (QCoreApplication::instance()) return;
  requireHeadroom();
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
  // The font configuration is read and the fonts printing uses are matched
  // now, while the room checked above is there.
  QFontDatabase::families();
  for (const QFont& f : {QApplication::font(), outputListFont(), printFontFor(outputListFont())})
    static_cast<void>(QFontMetrics(f).height());
}

}  // namespace volmar
