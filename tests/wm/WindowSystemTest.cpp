// The main window under a real window manager: what only the window system
// does (close requests from the frame, stacking order). Run by
// run-under-wm.sh on a virtual display with openbox.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <sstream>
#include <thread>

#include "../ui/ScriptedPrompter.h"
#include "core/Parallel.h"
#include "core/Workspace.h"
#include "support/TempDir.h"
#include "ui/Main.h"
#include "ui/Param.h"
#include "ui/Unit2.h"
#include "ui/Unit5.h"

using namespace volmar;
using volmar::test::ScriptedPrompter;
using volmar::test::TempDir;
using M = MenuItem;

namespace {

// Answers from the script and notes where the run stood when asked.
class Prompter : public ScriptedPrompter {
 public:
  std::function<void()> onQuestion;
  Answer askYesNo(QWidget* parent, const std::string& text) override {
    if (onQuestion) onQuestion();
    return ScriptedPrompter::askYesNo(parent, text);
  }
};

// 6000 cases of 10 variables in four groups: long enough a run to close the
// window in the middle of it.
std::string fourGroups() {
  std::ostringstream out;
  std::uint32_t x = 5;
  for (int i = 0; i < 6000; ++i) {
    for (int v = 0; v < 10; ++v) {
      x = x * 1664525u + 1013904223u;
      out << 3 * ((i % 4) == v % 4) + static_cast<double>(x >> 8) / 16777216.0 << ' ';
    }
    out << "\r\n";
  }
  return out.str();
}

// Runs a shell command and returns its standard output.
std::string run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(10000)) ADD_FAILURE() << program.toStdString() << " did not finish";
  return p.readAllStandardOutput().toStdString();
}

// The window manager's stacking order, bottom to top.
std::vector<WId> stacking() {
  const std::string out = run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
  std::vector<WId> ids;
  const auto hash = out.find('#');
  if (hash == std::string::npos) return ids;
  std::istringstream in(out.substr(hash + 1));
  std::string token;
  while (in >> token) {
    if (!token.empty() && token.back() == ',') token.pop_back();
    ids.push_back(static_cast<WId>(std::stoull(token, nullptr, 16)));
  }
  return ids;
}

int place(WId id) {
  const auto ids = stacking();
  for (std::size_t i = 0; i < ids.size(); ++i)
    if (ids[i] == id) return static_cast<int>(i);
  return -1;
}

// Asks the window manager to close a window, as its close box does, and
// gives it time to pass the request on, without handling any event here:
// the request waits for the program's own next look at its events.
void closeThroughWindowManager(WId id) {
  ASSERT_EQ(QProcess::execute("wmctrl", {"-i", "-c", QStringLiteral("0x%1").arg(id, 0, 16)}), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

class WindowSystem : public ::testing::Test {
 protected:
  ~WindowSystem() override { SetEngineThreads(0); }

  std::unique_ptr<Workspace> ws = Workspace::create();
  Prompter ask;
  std::unique_ptr<TFMain> win = std::make_unique<TFMain>(*ws, ask);
  TempDir dir;

  void SetUp() override {
    win->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(win.get(), 10000)) << "the main window was never shown";
    ask.dataDialogs.push_back([](TBtnRightDlg& d) {
      d.Edit2->setText("10");
      d.OKBtn->click();
    });
    ask.openFiles.push_back(dir.write("groups.dat", fourGroups()));
    win->action(M::Open1)->trigger();
    ask.paramDialogs.push_back([](TForm1& d) {
      d.edit(1)->setText("2");
      d.edit(2)->setText("5");
      d.edit(3)->setText("2");
      d.edit(4)->setText("25");
      d.CheckBox1->setChecked(true);
      d.Button1->click();
    });
    win->action(M::Parameterize1)->trigger();
    ASSERT_TRUE(win->isReachable(M::Run1));
  }

  int epochLines() const {
    int n = 0;
    for (int i = 0; i < win->ListBox1->count(); ++i)
      if (win->ListBox1->item(i)->text().startsWith("epoch #: ")) ++n;
    return n;
  }

  // Trains in the event loop; `atEpoch` is called as epoch line number n
  // (counted over the run) is listed.
  void train(int n, const std::function<void()>& atEpoch) {
    int seen = 0;
    const auto conn = QObject::connect(win->ListBox1->model(), &QAbstractItemModel::rowsInserted, [&] {
      const QListWidgetItem* last = win->ListBox1->item(win->ListBox1->count() - 1);
      if (last && last->text().startsWith("epoch #: ") && ++seen == n) atEpoch();
    });
    // (QCoreApplication::quit() would ask the windows to close.)
    QTimer::singleShot(0, [&] {
      win->action(M::Run1)->trigger();
      QCoreApplication::exit(0);
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
      ADD_FAILURE() << "the run did not end within two minutes";
      QCoreApplication::exit(1);
    });
    guard.start(120000);
    QCoreApplication::exec();
    QObject::disconnect(conn);
  }

  bool completed() const {
    return std::count(ask.messages.begin(), ask.messages.end(), "Training completed.") == 1;
  }
};

}  // namespace

// The frame's close request during a run asks whether to quit, at once
// (on one thread and on several): No lets the run finish as usual, Yes
// stops it at its next epoch and ends the program. The graph view's own
// close box asks the same and, answered No, leaves the view open.
TEST_F(WindowSystem, CloseRequestsDuringARunAskWhetherToQuit) {
  struct Case {
    const char* what;
    int threads;
    bool graphView;
    Answer answer;
  };
  const Case cases[] = {
      {"main window, No, one thread", 1, false, Answer::No},
      {"main window, No, two threads", 2, false, Answer::No},
      {"graph view, No, two threads", 2, true, Answer::No},
      {"graph view, No, one thread", 1, true, Answer::No},
      {"main window, Yes, two threads", 2, false, Answer::Yes},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetEngineThreads(c.threads);
    ask.messages.clear();
    ask.questions.clear();
    ask.answers = {c.answer};
    bool runningWhenAsked = false;
    int epochsWhenAsked = -1;
    ask.onQuestion = [&] {
      runningWhenAsked = win->commandRunning();
      epochsWhenAsked = epochLines();
    };
    train(3, [&] {
      TForm5* view = win->graphView();
      closeThroughWindowManager(c.graphView ? view->winId() : win->winId());
    });
    ask.onQuestion = {};
    ASSERT_EQ(ask.questions, std::vector<std::string>{"Quit Volmar?"});
    EXPECT_TRUE(runningWhenAsked);
    if (c.answer == Answer::No) {
      EXPECT_TRUE(completed());
      EXPECT_EQ(epochLines(), 4 * 25);
      EXPECT_TRUE(win->isVisible());
      EXPECT_TRUE(win->graphView()->isVisible());
    } else {
      // Stopped at the next epoch of the unit being shown, and closed.
      EXPECT_FALSE(completed());
      EXPECT_LE(epochLines(), epochsWhenAsked + 25);
      EXPECT_FALSE(win->isVisible());
      EXPECT_FALSE(win->graphView()->isVisible());
    }
  }
}

// Show > "&Adjacency Graph" puts the view in front of the main window in
// the window manager's stacking order, also when it was open behind it.
TEST_F(WindowSystem, ShowAdjacencyGraphBringsTheViewToTheFront) {
  SetEngineThreads(2);
  train(0, [] {});
  ASSERT_TRUE(completed());
  TForm5* view = win->graphView();
  ASSERT_TRUE(view->isVisible());
  win->activateWindow();
  win->raise();
  QElapsedTimer t;
  t.start();
  while (place(win->winId()) < place(view->winId()) && t.elapsed() < 5000) QTest::qWait(50);
  ASSERT_GT(place(win->winId()), place(view->winId())) << "the main window could not be raised";
  win->action(M::Adjacencygraph1)->trigger();
  t.restart();
  while (place(view->winId()) < place(win->winId()) && t.elapsed() < 5000) QTest::qWait(50);
  EXPECT_GT(place(view->winId()), place(win->winId()));
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Volmar32"));
  volmar::useFixedDecimalPoint();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
