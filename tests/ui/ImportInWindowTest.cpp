// File > "&Import..." in the main window: the import dialog lists the
// sample file's variables, takes the choice and the import enables what
// File > Open enables; File > Save > "Segments with IDs..." needs segments.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>

#include "ScriptedPrompter.h"
#include "core/Workspace.h"
#include "ui/ImportDialog.h"
#include "ui/Main.h"

using namespace volmar;
using volmar::test::ScriptedPrompter;
using M = MenuItem;

namespace {

std::string samplePath() { return std::string(VOLMAR_SAMPLE_DATA_DIR) + "/survey-sample.csv"; }

class ImportInWindow : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedPrompter ask;
  std::unique_ptr<TFMain> win = std::make_unique<TFMain>(*ws, ask);
};

TEST_F(ImportInWindow, TheDialogListsTheVariablesAndTheChoiceIsImported) {
  EXPECT_FALSE(win->action(M::Parameterize1)->isEnabled());
  ask.openFiles.push_back(samplePath());
  ask.importDialogs.push_back([](TImportDlg& d) {
    EXPECT_EQ(d.windowTitle(), "Import survey data");
    EXPECT_EQ(d.FileLabel->text(), "survey-sample.csv: CSV, 7 variables, 40 rows, separator \";\", decimal comma");
    QTableWidget& t = *d.Variables;
    EXPECT_EQ(t.rowCount(), 7);
    EXPECT_EQ(t.item(1, 1)->text(), "region");
    EXPECT_EQ(t.item(1, 3)->text(), "text");
    // A text variable has no check box to tick.
    EXPECT_FALSE(t.item(1, 0)->flags() & Qt::ItemIsUserCheckable);
    EXPECT_EQ(t.item(1, 0)->toolTip(), "Line 2 holds \"South\": not a number");
    EXPECT_EQ(t.item(3, 1)->text(), "quality");
    EXPECT_EQ(t.item(3, 4)->text(), "2");
    EXPECT_EQ(d.ChosenLabel->text(), "5 of at most 100 variables chosen");
    EXPECT_FALSE(d.BlockSize->isEnabled());
    d.choose({"price", "quality", "service", "design"});
    EXPECT_EQ(d.ChosenLabel->text(), "4 of at most 100 variables chosen");
    d.IdBox->setCurrentText("resp_id");
    d.MissingEdit->setText("99");
    if (const char* hold = std::getenv("VOLMAR_HOLD_IMPORT_DIALOG")) {
      // For a look at the dialog under a real X server.
      d.show();
      QTest::qWait(1000 * std::atoi(hold));
    }
    return true;
  });
  win->action(M::Import1)->trigger();
  EXPECT_EQ(ask.importDialogsShown, 1);
  ASSERT_FALSE(ask.messages.empty());
  EXPECT_EQ(ask.messages[0], "36 cases read, 4 left out for missing values (40 rows in the file).\r\n"
                             "Missing most often: quality (2), price (1), design (1).");
  EXPECT_EQ(ws->NumCases, 36);
  EXPECT_EQ(ws->NumVars, 4);
  EXPECT_FLOAT_EQ(ws->DataMatrix(1, 1), 4.5f);
  EXPECT_TRUE(win->action(M::Parameterize1)->isEnabled());

  // No segments before a training run: the save says so and asks no file.
  win->action(M::SegmentswithIDs1)->trigger();
  EXPECT_EQ(ask.messages.back(), "There are no segments to save yet.\r\nTrain (or recall) on the data first.");
  EXPECT_TRUE(ask.saveDialogsShown.empty());
}

TEST_F(ImportInWindow, CancelInTheDialogChangesNothing) {
  ws->NumCases = 5;
  ask.openFiles.push_back(samplePath());
  ask.importDialogs.push_back([](TImportDlg& d) {
    d.KSamples->setChecked(true);
    EXPECT_TRUE(d.SubsampleBox->isEnabled());
    return false;
  });
  win->action(M::Import1)->trigger();
  EXPECT_EQ(ws->NumCases, 5);
  EXPECT_TRUE(ask.messages.empty());
  EXPECT_FALSE(win->action(M::Parameterize1)->isEnabled());
}

}  // namespace
