// The desktop program's start-up: about box, application title, help file,
// the main window (and the windows it keeps hidden), then the event loop.

#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <new>
#include <string_view>

#include "commands/FileIO.h"
#include "core/Workspace.h"
#include "ui/HelpViewer.h"
#include "ui/Main.h"
#include "ui/QtPrompter.h"
#include "ui/Unit3.h"

namespace {

int run(int argc, char** argv) {
  QApplication app(argc, argv);
  // Qt takes the system locale for C conversions as well; numbers are read
  // and written with a decimal point everywhere.
  volmar::useFixedDecimalPoint();

  // Before any window exists: the about box, until the user closes it.
  {
    volmar::TAboutBox about;
    about.exec();
  }

  QApplication::setApplicationName(QStringLiteral("Volmar32"));
  volmar::HelpViewer help(volmar::HelpViewer::helpFileIn(QCoreApplication::applicationDirPath()));

  // One workspace for the whole run; the main window creates the graph view
  // hidden, the dialogs are made for each use.
  auto ws = volmar::Workspace::create();
  volmar::QtPrompter prompter(help);
  volmar::TFMain main(*ws, prompter);
  const QRect screen = main.screen()->availableGeometry();
  main.move(screen.center() - main.frameGeometry().center() + main.pos());
  main.show();
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  // Answered before any window or display is needed.
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--version") {
      std::printf("volmar %s\n", VOLMAR_VERSION);
      return 0;
    }
    if (arg == "--help" || arg == "-h") {
      std::printf("usage: volmar [--version] [--help]\n\n"
                  "Starts the Volmar desktop program. Scripted runs without a display:\n"
                  "volmar-batch --help.\n");
      return 0;
    }
  }
  // A save beyond the file size limit fails with its reason instead of
  // ending the program; a program ended by a signal leaves no temporary file.
  volmar::installSaveSignalHandlers();
  // Every menu command reports its own allocation failure and the program
  // goes on; one outside the commands (start-up, painting) ends it with a
  // message instead of an abort.
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("Volmar: not enough memory; the program was stopped.\n", stderr);
    return 1;
  }
}
