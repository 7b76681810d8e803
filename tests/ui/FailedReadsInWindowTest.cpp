#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <cstring>

#include "ScriptedPrompter.h"
#include "core/Workspace.h"
#include "support/TempDir.h"
#include "ui/Main.h"
#include "ui/Param.h"
#include "ui/QtShell.h"
#include "ui/Unit2.h"

using namespace volmar;
using volmar::test::ScriptedPrompter;
using volmar::test::TempDir;
using M = MenuItem;

namespace {

class FailedReadsInWindow : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedPrompter ask;
  std::unique_ptr<TFMain> win = std::make_unique<TFMain>(*ws, ask);
  TempDir dir;

  void openData(const std::string& path, const char* vars) {
    ask.dataDialogs.push_back([vars](TBtnRightDlg& d) {
      d.Edit2->setText(QString::fromLatin1(vars));
      d.OKBtn->click();
    });
    ask.openFiles.push_back(path);
    win->action(M::Open1)->trigger();
  }
  void readPrototypes(const std::string& path) {
    ask.openFiles.push_back(path);
    win->action(M::Readprototypesfromfile1)->trigger();
  }
  std::vector<bool> menuState() const {
    std::vector<bool> out;
    for (int i = 0; i < MenuItemCount; ++i) out.push_back(win->isReachable(static_cast<M>(i)));
    return out;
  }
};

}  // namespace

TEST_F(FailedReadsInWindow, FailedOpenAndPrototypesReadKeepTheDataPrototypesAndMenu) {
  openData(VOLMAR_SAMPLE_DATA_DIR "/iris.dat", "4");
  ask.paramDialogs.push_back([](TForm1& d) {
    d.edit(1)->setText("2");
    d.edit(2)->setText("2");
    d.Button1->click();
  });
  win->action(M::Parameterize1)->trigger();
  readPrototypes(dir.write("good.wgt", "5 3.4 1.5 .2\r\n6.5 3 5.5 2\r\n"));
  ASSERT_TRUE(win->isReachable(M::Recall));
  ASSERT_TRUE(win->isReachable(M::Run1));
  const auto menu = menuState();
  std::vector<float> data(ws->DataMatrix.row(1), ws->DataMatrix.row(1) + 150 * 104);
  const float p22 = ws->Prototypes(2, 2);

  ask.messages.clear();
  openData(dir.write("bad.dat", "1 2 3 4 5 6 7\r\n1 2 3 abc 5 6 7\r\n"), "7");
  EXPECT_EQ(ask.messages, (std::vector<std::string>{"Invalid numeric input\r\nLine 2: 'abc' is not a number."}));
  readPrototypes(dir.write("bad.wgt", "9 9 9 9\r\n9 1e39 9 9\r\n"));
  EXPECT_EQ(ask.messages.back(),
            "Invalid numeric input\r\nLine 2: '1e39' is beyond the range of the values that can be held.");

  EXPECT_EQ(ws->NumCases, 150);
  EXPECT_EQ(ws->NumVars, 4);
  EXPECT_EQ(ws->NumPrototypes, 2);
  EXPECT_EQ(ws->Prototypes(1, 1), 5.0f);
  EXPECT_EQ(ws->Prototypes(2, 2), p22);
  EXPECT_EQ(std::memcmp(data.data(), ws->DataMatrix.row(1), data.size() * sizeof(float)), 0);
  EXPECT_EQ(menuState(), menu);
  EXPECT_FALSE(win->shell().busyCursor());

  // Recall goes on with what was read completely: 150 cases in two classes.
  win->action(M::Recall)->trigger();
  EXPECT_EQ(ws->ClassSize[1] + ws->ClassSize[2], 150);
}
