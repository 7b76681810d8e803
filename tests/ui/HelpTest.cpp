// Help: F1 in every window at its topic, the Help menu's guide entry, and
// the guide shipped inside the program.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>

#include "ScriptedPrompter.h"
#include "core/Workspace.h"
#include "ui/HelpViewer.h"
#include "ui/HelpWindow.h"
#include "ui/Main.h"
#include "ui/Param.h"
#include "ui/QtShell.h"
#include "ui/Unit2.h"
#include "ui/Unit5.h"
#include "commands/DataMatrixDialog.h"
#include "commands/ParamDialog.h"

using namespace volmar;
using volmar::test::ScriptedPrompter;
using M = MenuItem;

namespace {

class Help : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedPrompter ask;
  std::unique_ptr<TFMain> win = std::make_unique<TFMain>(*ws, ask);
};

TEST_F(Help, F1OpensTheTopicOfTheWindowOrDialogInFocus) {
  Context& ctx = win->context();
  ParamDialog params(ctx);
  TForm1 paramDialog(params, win.get());
  DataMatrixDialog data(ctx);
  TBtnRightDlg dataDialog(data, win.get());
  paramDialog.show();
  dataDialog.show();
  win->graphView()->show();
  // Keys go to a control inside each window, as a person's would.
  QTest::keyClick(paramDialog.edit(3), Qt::Key_F1);
  QTest::keyClick(dataDialog.Edit1, Qt::Key_F1);
  QTest::keyClick(win->graphView()->paintBox1(), Qt::Key_F1);
  win->action(M::UserGuide1)->trigger();
  EXPECT_EQ(ask.helpTopics, (std::vector<int>{30, 20, 18, 5}));
}

TEST_F(Help, EveryTopicHasAPageOfTheGuideThatExists) {
  ASSERT_TRUE(HelpWindow::guideAvailable());
  HelpWindow help;
  for (int topic : {1, 5, 10, 12, 18, 20, 26, 30, 55, 999}) {
    SCOPED_TRACE(topic);
    help.showTopic(topic);
    const QString page = HelpWindow::pageForTopic(topic);
    EXPECT_TRUE(help.browser()->source().toString().endsWith(page));
    // A page that exists has a heading; a missing one leaves the browser empty.
    EXPECT_TRUE(help.browser()->document()->toHtml().contains("<h1", Qt::CaseInsensitive) ||
                help.browser()->toPlainText().size() > 200)
        << page.toStdString();
  }
  help.showTopic(30);
  EXPECT_TRUE(help.browser()->toPlainText().contains("adjacency update parameter"));
}

TEST_F(Help, WithoutAHelpFileF1OpensTheGuideBesideAModalDialog) {
  HelpViewer viewer("/nowhere/Volmar32.chm");
  ParamDialog params(win->context());
  TForm1 dialog(params, win.get());
  dialog.setModal(true);
  dialog.show();
  viewer.showTopic(&dialog, 30);
  ASSERT_NE(viewer.guideWindow(), nullptr);
  EXPECT_TRUE(viewer.guideWindow()->isVisible());
  EXPECT_TRUE(viewer.guideWindow()->browser()->source().toString().endsWith("parameters.html"));
  // It belongs to the dialog, which would block any other window.
  EXPECT_EQ(viewer.guideWindow()->parentWidget(), &dialog);
  dialog.hide();
  viewer.showTopic(win.get(), 5);
  EXPECT_EQ(viewer.guideWindow()->parentWidget(), win.get());
  EXPECT_TRUE(viewer.guideWindow()->browser()->source().toString().endsWith("index.html"));
}

}  // namespace
