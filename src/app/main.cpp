// The desktop program's start-up: about box, application title, help file,
// the main window (and the windows it keeps hidden), then the event loop.

#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <string_view>

#include "core/Workspace.h"
#include "ui/HelpViewer.h"
#include "ui/Main.h"
#include "ui/QtPrompter.h"
#include "ui/Unit3.h"

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
