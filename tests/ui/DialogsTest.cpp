#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QFile>

#include "ScriptedPrompter.h"
#include "commands/DataMatrixDialog.h"
#include "commands/ParamDialog.h"
#include "core/Workspace.h"
#include "ui/HelpViewer.h"
#include "ui/Main.h"
#include "ui/Param.h"
#include "ui/QtPrompter.h"
#include "ui/QtShell.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"

using namespace volmar;
using volmar::test::ScriptedPrompter;

namespace {

// A workspace with a window whose shell records the dialogs' messages.
class Dialogs : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedPrompter ask;
  TFMain win{*ws, ask};
  Context& ctx = win.context();
};

}  // namespace

TEST_F(Dialogs, DataMatrixDialogStartsWithTheMaximaAndNothingSelected) {
  DataMatrixDialog logic(ctx);
  TBtnRightDlg d(logic);
  EXPECT_EQ(d.windowTitle(), "Define data matrix");
  EXPECT_EQ(d.toolTip(), "use hints");
  EXPECT_EQ(d.Edit1->text(), "30000");
  EXPECT_EQ(d.Edit2->text(), "100");
  EXPECT_EQ(d.bssize->text(), "20");
  EXPECT_FALSE(d.bssize->isEnabled());
  EXPECT_FALSE(d.askforfn->isEnabled());
  for (QRadioButton* r : {d.kblock, d.ksample, d.casefirst, d.measfirst}) EXPECT_FALSE(r->isChecked());
  EXPECT_EQ(d.ksample->text(), "k-samples  (max 20 subsamples)");
  EXPECT_EQ(d.GroupBox1->title(), "Data order");
  EXPECT_EQ(d.Edit1->toolTip(), "insert # <= 30000");
  EXPECT_EQ(d.Label3->toolTip(), "You may specify less than that");
  EXPECT_EQ(d.casefirst->toolTip(), "measurements within cases");
  EXPECT_EQ(d.OKBtn->text(), "&OK");
  EXPECT_EQ(d.CancelBtn->text(), "&Cancel");
}

TEST_F(Dialogs, KBlocksSelectsCaseFirstAndTheBlockSize) {
  DataMatrixDialog logic(ctx);
  TBtnRightDlg d(logic);
  d.Edit1->setText("120");  // typed before the click: kept
  d.kblock->click();
  EXPECT_TRUE(d.kblock->isChecked());
  EXPECT_TRUE(d.casefirst->isChecked());
  EXPECT_TRUE(d.bssize->isEnabled());
  EXPECT_TRUE(logic.shape.CaseFirst);
  EXPECT_EQ(d.Edit1->text(), "120");
  d.kblock->click();  // clicking a selected button keeps it selected
  EXPECT_TRUE(d.kblock->isChecked());

  d.measfirst->click();
  EXPECT_FALSE(d.casefirst->isChecked());
  EXPECT_TRUE(d.measfirst->isChecked());
  EXPECT_FALSE(logic.shape.CaseFirst);

  d.ksample->click();
  EXPECT_FALSE(d.kblock->isChecked());
  EXPECT_TRUE(d.askforfn->isEnabled());
  EXPECT_TRUE(d.bssize->isEnabled());  // keeps its state
}

TEST_F(Dialogs, DataMatrixOkStoresTheEntries) {
  DataMatrixDialog logic(ctx);
  TBtnRightDlg d(logic);
  d.Edit1->setText("150");
  d.Edit2->setText("4");
  d.kblock->click();
  d.bssize->setText("3");
  d.OKBtn->click();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  // Stored for the data file to come; the workspace gets them with its rows.
  EXPECT_EQ(logic.shape.NumCases, 150);
  EXPECT_EQ(logic.shape.NumVars, 4);
  EXPECT_TRUE(logic.shape.KBlocks);
  EXPECT_FALSE(logic.shape.KSamples);
  EXPECT_EQ(logic.shape.BlockSize, 3);
  EXPECT_EQ(ws->NumCases, 0);
}

TEST_F(Dialogs, DataMatrixOkWithABadEntryStaysOpen) {
  DataMatrixDialog logic(ctx);
  TBtnRightDlg d(logic);
  d.show();
  d.Edit2->setText("abc");
  d.OKBtn->click();
  EXPECT_TRUE(d.isVisible());
  EXPECT_NE(d.result(), QDialog::Accepted);
  EXPECT_EQ(ask.messages, (std::vector<std::string>{"'abc' is not a valid integer value"}));
  d.Edit2->setText("7");
  d.OKBtn->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(logic.shape.NumVars, 7);
}

TEST_F(Dialogs, DataMatrixCancelAndHelp) {
  ws->NumCases = 11;
  DataMatrixDialog logic(ctx);
  TBtnRightDlg d(logic);
  d.HelpBtn->click();
  EXPECT_EQ(ask.messages, (std::vector<std::string>{"Use the context-specific hints."}));
  d.Edit1->setText("5");
  d.CancelBtn->click();
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_EQ(ws->NumCases, 11);
}

TEST_F(Dialogs, ParameterDialogShowsTheDefaultsAtFirstUse) {
  ParamDialog logic(ctx);
  TForm1 d(logic);
  EXPECT_EQ(d.windowTitle(), "Set parameters");
  EXPECT_EQ(d.toolTip(), "use the hints");
  const char* defaults[] = {"1", "4", "100", "50", "0.3", "2", "1", "1"};
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(d.edit(i)->text(), defaults[i - 1]) << "Edit" << i;
  EXPECT_TRUE(d.CheckBox1->isChecked());
  EXPECT_TRUE(d.RadioButton2->isChecked());
  EXPECT_FALSE(d.RadioButton1->isChecked());
  EXPECT_EQ(ws->DistanceKind, DistEuclidean);
  EXPECT_EQ(d.label(14)->text(), "(ignored  for Subtractive Clustering)");
  EXPECT_EQ(d.label(11)->text(), "(eg .1 * # of prototypes): ");
  EXPECT_EQ(d.edit(2)->toolTip(), "2 < upper <= 30");
  EXPECT_EQ(d.label(5)->toolTip(), "1 epochs is 1 cycle through your data vectors");
  EXPECT_EQ(d.CheckBox1->toolTip(), "Disable to perform ordinary k-means");
  EXPECT_EQ(d.Button1->text(), "&OK");
  EXPECT_EQ(d.Button1->toolTip(), "use these params");
}

TEST_F(Dialogs, ParameterOkStoresAndReopeningShowsTheStoredValues) {
  ws->NumCases = 150;
  {
    ParamDialog logic(ctx);
    TForm1 d(logic);
    d.edit(1)->setText("2");
    d.edit(2)->setText("5");
    d.edit(5)->setText("0.250");
    d.CheckBox1->setChecked(false);
    d.RadioButton1->click();
    EXPECT_EQ(ws->DistanceKind, DistTanimoto);  // at once, before OK
    EXPECT_FALSE(d.RadioButton2->isChecked());
    EXPECT_EQ(d.edit(5)->text(), "0.250");  // the click keeps typed entries
    d.Button1->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
  }
  EXPECT_EQ(ws->LowerLimit, 2);
  EXPECT_EQ(ws->UpperLimit, 5);
  EXPECT_DOUBLE_EQ(ws->InitLearningRate, 0.25);
  EXPECT_FALSE(ws->NeighborUpdate);
  ParamDialog logic(ctx);
  TForm1 again(logic);
  EXPECT_EQ(again.edit(5)->text(), "0.25");
  EXPECT_FALSE(again.CheckBox1->isChecked());
  EXPECT_TRUE(again.RadioButton1->isChecked());
}

TEST_F(Dialogs, ParameterDialogStaysOpenForLowerAboveUpper) {
  ws->NumCases = 150;
  ParamDialog logic(ctx);
  TForm1 d(logic);
  d.show();
  d.edit(1)->setText("5");
  d.edit(2)->setText("2");
  d.Button1->click();
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(ask.messages.back(), "Lower <= upper required; re-enter.");
  EXPECT_FALSE(ws->ParamsEntered);
}

TEST_F(Dialogs, AboutBoxNamesTheProgramVersionAndTheTwoArticles) {
  TAboutBox box;
  EXPECT_EQ(box.windowTitle(), "About Volmar2008");
  EXPECT_EQ(box.ProductName->text(), "Volmar");
  EXPECT_TRUE(box.ProductName->font().bold());
  EXPECT_EQ(box.Version->text(), "Revised Version 2009  (32 Bit) ");
  EXPECT_EQ(box.Comments->text(), "Volmar2009  implements the topology sensitive 'neural gas' ");
  const QString cites =
      box.Citations[0]->text() + "\n" + box.Citations[1]->text() + "\n" + box.Citations[2]->text();
  EXPECT_TRUE(cites.contains("IEEE Transactions on Neural Networks 4"));
  EXPECT_TRUE(cites.contains("(1993)"));
  EXPECT_TRUE(cites.contains("Neural Networks 7"));
  EXPECT_TRUE(cites.contains("(1994)"));
  EXPECT_FALSE(box.ProgramIcon->pixmap().isNull());
  box.show();
  EXPECT_EQ(box.minimumSize(), box.maximumSize());  // fixed border
  box.OKButton->click();
  EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST(MessageTexts, LinesJoinedByCrLfShowAsLines) {
  EXPECT_EQ(messageText("Replication runs require\r\na constant # of prototypes!"),
            "Replication runs require\na constant # of prototypes!");
}

namespace {

class FakeViewer : public HelpViewer {
 public:
  using HelpViewer::HelpViewer;
  bool installed = false;

 protected:
  bool viewerAvailable() const override { return installed; }
};

}  // namespace

TEST(HelpFile, LivesBesideTheProgram) {
  EXPECT_EQ(HelpViewer::helpFileIn("/opt/volmar/bin"), "/opt/volmar/bin/Volmar32.chm");
}

TEST(HelpFile, SaysWhereItLookedWhenTheFileIsMissing) {
  FakeViewer help("/nowhere/Volmar32.chm");
  help.installed = true;
  const QString why = help.problem(5);
  EXPECT_TRUE(why.contains("/nowhere/Volmar32.chm")) << why.toStdString();
  EXPECT_TRUE(why.contains("not found"));
  EXPECT_TRUE(why.contains("5"));
}

TEST(HelpFile, SaysWhatIsMissingWhenNoViewerIsInstalled) {
  QTemporaryDir dir;
  const QString file = HelpViewer::helpFileIn(dir.path());
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  FakeViewer help(file);
  EXPECT_TRUE(help.problem(5).contains("no viewer"));
  EXPECT_TRUE(help.problem(5).contains(file));
  help.installed = true;
  EXPECT_TRUE(help.problem(5).isEmpty());
}
