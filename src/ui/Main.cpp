#include "ui/Main.h"
#include "ui/OutputListDelegate.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QToolTip>
#include <algorithm>
#include <clocale>

#include "commands/Context.h"
#include "commands/Import.h"
#include "ui/MainChart.h"
#include "ui/MenuCommands.h"
#include "ui/MenuTable.h"
#include "ui/Printing.h"
#include "ui/Prompter.h"
#include "ui/QtShell.h"
#include "ui/StatusLine.h"
#include "ui/Unit5.h"

namespace volmar {

void useFixedDecimalPoint() {
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
}

namespace {

// A menu bar that shows the hints of its items as tool tips too.
class HintMenuBar : public QMenuBar {
 public:
  using QMenuBar::QMenuBar;

 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::ToolTip) {
      auto* he = static_cast<QHelpEvent*>(e);
      const QAction* a = actionAt(he->pos());
      if (a && !a->toolTip().isEmpty() && !a->statusTip().isEmpty())
        QToolTip::showText(he->globalPos(), a->toolTip(), this);
      else
        QToolTip::hideText();
      return true;
    }
    return QMenuBar::event(e);
  }
};

QLabel* headerPanel(const QString& caption, QWidget* parent) {
  auto* p = new QLabel(caption, parent);
  p->setTextFormat(Qt::PlainText);
  p->setAlignment(Qt::AlignCenter);
  p->setFrameStyle(QFrame::Panel | QFrame::Raised);
  QFont f = p->font();
  f.setBold(true);
  p->setFont(f);
  return p;
}

// F1 in the program's other windows and dialogs (the main window has its
// F1 menu item): help at the topic of the focused control or the nearest
// window around it that names one, else the main window's topic.
class HelpKeys : public QObject {
 public:
  HelpKeys(TFMain* main, QtShell& shell) : QObject(main), main_(main), shell_(shell) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != Qt::Key_F1 ||
        static_cast<QKeyEvent*>(e)->modifiers() != Qt::NoModifier)
      return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() == main_) return false;
    int topic = HelpFileTopic;
    for (QWidget* p = w; p; p = p->parentWidget()) {
      if (const int t = p->property("helpContext").toInt(); t > 0) {
        topic = t;
        break;
      }
      if (p == main_) break;
    }
    shell_.openHelp(topic);
    return true;
  }

 private:
  TFMain* main_;
  QtShell& shell_;
};

constexpr int StartClientWidth = 787;
constexpr int StartClientHeight = 548;
constexpr int StatusHeight = 20;

}  // namespace

TFMain::TFMain(Workspace& ws, Prompter& prompter, QWidget* parent)
    : QMainWindow(parent), ws_(ws) {
  useFixedDecimalPoint();
  setObjectName(QStringLiteral("FMain"));
  setProperty("helpContext", MainWindowHelpContext);
  buildClientArea();
  buildMenu();

  QtShell::Controls controls;
  controls.window = this;
  controls.list = ListBox1;
  controls.status = Panel3;
  controls.chart = Chart1;
  controls.actions = actions_;
  shell_ = std::make_unique<QtShell>(ws_, controls, prompter);
  ctx_ = std::make_unique<Context>(ws_, *shell_);
  shell_->setCloseDuringCommand([this] { close(); });
  // Stability by bootstrap.
  shell_->setStopRequest([this] { ctx_->stopRequested.store(true); });

  helpKeys_ = new HelpKeys(this, *shell_);
  QCoreApplication::instance()->installEventFilter(helpKeys_);
  mainWindowCreated(*ctx_);
  setWindowTitle(QStringLiteral("Volmar - 32Bit Version 2008"));
  resize(StartClientWidth, StartClientHeight + menuBar()->sizeHint().height());
  placeComponents(StartClientWidth, StartClientHeight);
}

TFMain::~TFMain() = default;

void TFMain::buildClientArea() {
  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("ClientArea"));
  client_->setToolTip(QStringLiteral("use the hints"));
  setCentralWidget(client_);
  client_->installEventFilter(this);

  Panel1 = headerPanel(QStringLiteral("Print output:"), client_);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(2, 2, 312, 24);

  ListBox1 = new QListWidget(client_);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setGeometry(2, 31, 312, 379);
  ListBox1->setFont(outputListFont());
  ListBox1->setUniformItemSizes(true);
  ListBox1->setItemDelegate(new OutputListDelegate(ListBox1));
  ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);

  Panel2 = headerPanel(QStringLiteral("Graphics output:"), client_);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  Panel2->setGeometry(320, 2, 312, 24);

  Chart1 = new MainChart(client_);
  Chart1->setObjectName(QStringLiteral("Chart1"));
  Chart1->setGeometry(319, 31, 313, 385);
  // The sample points shown until the first training run.
  const double bars[] = {392.5, 285, 165, 180, 75, 145};
  const double line[] = {0.3, 0.4, 0.5, 0.34, 0.3, 0.25};
  for (int i = 0; i < 6; ++i) {
    Chart1->addPoint(Series::Bars, bars[i], QString::number(i + 1));
    Chart1->addPoint(Series::Line, line[i], QString::number(i + 1));
  }

  Panel3 = new StatusLine(client_);
  Panel3->setObjectName(QStringLiteral("Panel3"));
  Panel3->setGeometry(0, StartClientHeight - StatusHeight, StartClientWidth, StatusHeight);
}

void TFMain::buildMenu() {
  auto* bar = new HintMenuBar(this);
  bar->setObjectName(QStringLiteral("MainMenu1"));
  setMenuBar(bar);
  for (const MenuEntry& e : menuTable()) {
    const auto idx = static_cast<std::size_t>(e.item);
    const QString caption = QString::fromUtf8(e.caption);
    QMenu* parentMenu = e.parent == MenuItem::Count_ ? nullptr : menus_[static_cast<std::size_t>(e.parent)];
    QAction* a = nullptr;
    if (e.submenu) {
      auto* m = new QMenu(caption, this);
      m->setToolTipsVisible(true);
      menus_[idx] = m;
      a = m->menuAction();
    } else {
      a = new QAction(caption, this);
      const MenuItem item = e.item;
      connect(a, &QAction::triggered, this, [this, item] { menuClick(item); });
    }
    a->setObjectName(QString::fromLatin1(e.caption).remove(QLatin1Char('&')));
    if (*e.hint) {
      a->setStatusTip(QString::fromUtf8(e.hint));
      a->setToolTip(QString::fromUtf8(e.hint));
    }
    if (e.helpContext) a->setProperty("helpContext", e.helpContext);
    if (*e.shortcut) {
      a->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
      a->setShortcutContext(Qt::WindowShortcut);
    }
    a->setEnabled(e.enabled);
    actions_[idx] = a;

    if (!e.visible) {
      // A hidden menu item keeps its shortcut only as an action of the window.
      addAction(a);
      continue;
    }
    if (parentMenu) {
      if (e.separatorBefore) parentMenu->addSeparator();
      parentMenu->addAction(a);
    } else {
      bar->addAction(a);
    }
  }
}

bool TFMain::isReachable(MenuItem item) const {
  for (MenuItem i = item; i != MenuItem::Count_; i = menuEntry(i).parent)
    if (!actions_[static_cast<std::size_t>(i)]->isEnabled()) return false;
  return true;
}

TForm5* TFMain::graphView() const { return shell_->graphView(); }

void TFMain::placeComponents(int W, int H) {
  // A window made smaller than the margins gives empty controls, not
  // negative sizes.
  const int half = std::max(0, (W - 20) / 2);
  const int right = W / 2 + 5;
  const int tall = std::max(0, H - 80);
  Panel1->setGeometry(Panel1->x(), Panel1->y(), half, Panel1->height());
  ListBox1->setGeometry(ListBox1->x(), ListBox1->y(), half, tall);
  Panel2->setGeometry(right, Panel2->y(), half, Panel2->height());
  Chart1->setGeometry(right, Chart1->y(), half, tall);
  Panel3->setGeometry(0, H - StatusHeight, W, StatusHeight);
}

bool TFMain::eventFilter(QObject* watched, QEvent* e) {
  if (watched == client_ && e->type() == QEvent::Resize)
    placeComponents(client_->width(), client_->height());
  return QMainWindow::eventFilter(watched, e);
}

bool TFMain::event(QEvent* e) {
  // Menu hints go to the status line.
  if (e->type() == QEvent::StatusTip) {
    Panel3->showHint(static_cast<QStatusTipEvent*>(e)->tip());
    return true;
  }
  return QMainWindow::event(e);
}

void TFMain::menuClick(MenuItem item) {
  if (running_ || !isReachable(item)) return;
  switch (item) {
    case MenuItem::Quit1:
      return quit1Click();
    case MenuItem::About1:
      return about1Click();
    case MenuItem::Help1:
      return help1Click();
    case MenuItem::HelpFile1:
      return helpFile1Click();
    case MenuItem::UserGuide1:
      return userGuide1Click();
    case MenuItem::Import1:
      // The import dialog is the window's own: the command gets it as the
      // chooser of variables.
      return runMenuCommand([this](Context& ctx) {
        import1Click(ctx, {}, [this](const SurveyFile& file) { return shell_->prompter().importDialog(this, file); });
      });
    default:
      break;
  }
  const Command command = commandOf(item);
  if (!command) {
    // An item that is offered must answer, also before its command exists.
    const QString caption = QString::fromUtf8(menuEntry(item).caption).remove(QLatin1Char('&')).trimmed();
    shell_->message("\"" + caption.toStdString() + "\" is not available yet in this version of Volmar.");
    return;
  }
  runMenuCommand(command);
}

void TFMain::runMenuCommand(const std::function<void(Context&)>& command) {
  running_ = true;
  shell_->beginCommand();
  runCommand(*ctx_, command);
  shell_->endCommand();
  running_ = false;
  if (closeAfterCommand_) close();
}

void TFMain::quit1Click() {
  if (shell_->askYesNo("Quit Volmar?") != Answer::Yes) return;
  quitConfirmed_ = true;
  close();
}

void TFMain::closeEvent(QCloseEvent* e) {
  if (askingToQuit_) {
    // The question is open already (a second click on the close box).
    e->ignore();
    return;
  }
  if (running_) {
    // A training run stops at its next epoch or trial, any other command
    // ends as it would; the window closes when the command has returned.
    if (quitConfirmed_ || askToQuit()) {
      quitConfirmed_ = true;
      closeAfterCommand_ = true;
      ctx_->stopRequested.store(true);
    }
    e->ignore();
    return;
  }
  if (!quitConfirmed_ && !askToQuit()) {
    e->ignore();
    return;
  }
  endProgram();
  e->accept();
}

bool TFMain::askToQuit() {
  askingToQuit_ = true;
  const bool yes = shell_->askYesNo("Quit Volmar?") == Answer::Yes;
  askingToQuit_ = false;
  return yes;
}

void TFMain::endProgram() {
  quitConfirmed_ = true;
  if (TForm5* view = shell_->graphView()) view->close();
  QCoreApplication::quit();
}

void TFMain::about1Click() { shell_->prompter().aboutBox(this); }

void TFMain::help1Click() {
  const char* lines[] = {"Press F1 for HELP!",
                         "Using Volmar correctly requires",
                         " a decent amount of knowledge",
                         " about vector quantization,",
                         " adaptive k-means, and",
                         " self-organizing maps.",
                         " See the hints for context-",
                         " specific help on parameters",
                         " and options."};
  std::string text;
  for (const char* l : lines) {
    if (!text.empty()) text += LineBreak;
    text += l;
  }
  shell_->message(text);
}

void TFMain::helpFile1Click() { shell_->openHelp(HelpFileTopic); }

void TFMain::userGuide1Click() { shell_->openHelp(HelpFileTopic); }

}  // namespace volmar
