#include "ui/Param.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "commands/ParamDialog.h"

namespace volmar {

namespace {

struct LabelText {
  const char* caption;
  const char* hint;
};

// Label1..Label15.
constexpr LabelText LabelTexts[15] = {
    {"Input the # of prototypes ...", nullptr},
    {"lower limit for # of prototypes:", "Start with this # of prototypes"},
    {"upper limit for # of prototypes:", "End with this # of prototypes (max 30)"},
    {"# of random initializations:", "Take the best starting values out of ..."},
    {"# of training epochs:", "1 epochs is 1 cycle through your data vectors"},
    {"learning rate (eg .3):", "will go down to .005"},
    {"Start with ...", nullptr},
    {"adjacency update parameter:", "will go down to .01"},
    {"(eg .2 * # of prototypes):", nullptr},
    {"lifetime parameter:", "will rise to 2 times # of prototypes"},
    {"(eg .1 * # of prototypes): ", nullptr},
    {"# of replications", "max 50"},
    {"(with the same random initialization)", nullptr},
    {"(ignored  for Subtractive Clustering)", "Chiu (1994): subtractive clustering"},
    {"Choose distance ...", nullptr},
};

// Edit1..Edit8.
constexpr const char* EditHints[8] = {
    "1 <= lower <= 30",    "2 < upper <= 30",   "insert nr of trials", "insert # of epochs",
    "0 <= lr < 1",         "1 < value < upper", "1 < value < upper",   "30 - 50 recommended",
};

}  // namespace

TForm1::TForm1(ParamDialog& logic, QWidget* parent) : QDialog(parent), logic_(logic) {
  setObjectName(QStringLiteral("Form1"));
  // F1 opens the help of the Parameterize command.
  setProperty("helpContext", 30);
  setWindowTitle(QStringLiteral("Set parameters"));
  setToolTip(QStringLiteral("use the hints"));

  for (int i = 0; i < 15; ++i) {
    auto* l = new QLabel(QString::fromUtf8(LabelTexts[i].caption));
    l->setTextFormat(Qt::PlainText);
    if (LabelTexts[i].hint) l->setToolTip(QString::fromUtf8(LabelTexts[i].hint));
    l->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    labels[static_cast<std::size_t>(i)] = l;
  }
  for (int i = 0; i < 8; ++i) {
    auto* e = new QLineEdit;
    e->setToolTip(QString::fromUtf8(EditHints[i]));
    e->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
    e->setFixedWidth(80);
    edits[static_cast<std::size_t>(i)] = e;
  }
  CheckBox1 = new QCheckBox(QStringLiteral("Perform neighbor update"));
  CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
  CheckBox1->setToolTip(QStringLiteral("Disable to perform ordinary k-means"));
  RadioButton1 = new QRadioButton(QStringLiteral("Tanimoto"));
  RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
  RadioButton1->setToolTip(QStringLiteral("equals Jaccard in case of binary data"));
  RadioButton2 = new QRadioButton(QStringLiteral("Euclidean"));
  RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
  RadioButton2->setToolTip(QStringLiteral("squared Eucl distance used"));
  for (QRadioButton* r : {RadioButton1, RadioButton2}) r->setAutoExclusive(false);
  Button1 = new QPushButton(QStringLiteral("&OK"));
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setToolTip(QStringLiteral("use these params"));
  Button1->setDefault(true);

  // Rows of the form: caption label (and its second line), then the edit.
  auto* grid = new QGridLayout;
  grid->setColumnStretch(0, 1);
  grid->setVerticalSpacing(8);
  int row = 0;
  auto entry = [&](int labelNo, int editNo, int secondLabelNo = 0) {
    auto* text = new QVBoxLayout;
    text->setSpacing(0);
    text->addWidget(label(labelNo));
    if (secondLabelNo) text->addWidget(label(secondLabelNo));
    grid->addLayout(text, row, 0);
    grid->addWidget(edit(editNo), row, 1, Qt::AlignVCenter);
    ++row;
  };
  auto heading = [&](int labelNo, int topSpace) {
    if (topSpace) grid->setRowMinimumHeight(row++, topSpace);
    grid->addWidget(label(labelNo), row++, 0, 1, 2);
  };
  heading(1, 0);
  entry(2, 1);
  entry(3, 2);
  entry(4, 3, 14);
  entry(5, 4);
  heading(7, 8);
  entry(6, 5);
  entry(8, 6, 9);
  entry(10, 7, 11);
  grid->setRowMinimumHeight(row++, 8);
  entry(12, 8, 13);

  auto* distance = new QHBoxLayout;
  distance->addWidget(label(15));
  distance->addSpacing(8);
  distance->addWidget(RadioButton1);
  distance->addWidget(RadioButton2);
  distance->addStretch(1);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(Button1);

  auto* top = new QVBoxLayout(this);
  top->addLayout(grid);
  top->addSpacing(6);
  top->addWidget(CheckBox1);
  top->addLayout(distance);
  top->addSpacing(6);
  top->addLayout(bottom);
  top->setSizeConstraint(QLayout::SetFixedSize);

  connect(RadioButton1, &QRadioButton::clicked, this, [this] {
    takeEntries();
    logic_.selectTanimoto();
    refresh();
  });
  connect(RadioButton2, &QRadioButton::clicked, this, [this] {
    takeEntries();
    logic_.selectEuclidean();
    refresh();
  });
  connect(Button1, &QPushButton::clicked, this, &TForm1::okClick);
  refresh();
}

void TForm1::refresh() {
  for (std::size_t i = 0; i < edits.size(); ++i)
    edits[i]->setText(QString::fromStdString(logic_.edits[i]));
  CheckBox1->setChecked(logic_.checkBox1);
  RadioButton1->setChecked(logic_.radioButton1);
  RadioButton2->setChecked(logic_.radioButton2);
}

void TForm1::takeEntries() {
  for (std::size_t i = 0; i < edits.size(); ++i) logic_.edits[i] = edits[i]->text().toStdString();
  logic_.checkBox1 = CheckBox1->isChecked();
}

void TForm1::okClick() {
  takeEntries();
  const bool closes = logic_.ok();
  refresh();
  if (closes) accept();
}

}  // namespace volmar
