#include "ui/Unit2.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "commands/DataMatrixDialog.h"

namespace volmar {

namespace {

QLabel* label(const char* text, const char* hint = nullptr) {
  auto* l = new QLabel(QString::fromUtf8(text));
  l->setTextFormat(Qt::PlainText);
  if (hint) l->setToolTip(QString::fromUtf8(hint));
  return l;
}

QLineEdit* edit(const char* hint) {
  auto* e = new QLineEdit;
  e->setToolTip(QString::fromUtf8(hint));
  e->setMaximumWidth(90);
  return e;
}

QRadioButton* radio(const char* text, const char* hint) {
  auto* r = new QRadioButton(QString::fromUtf8(text));
  r->setToolTip(QString::fromUtf8(hint));
  // Which button is selected is the logic's business, not Qt's.
  r->setAutoExclusive(false);
  return r;
}

}  // namespace

TBtnRightDlg::TBtnRightDlg(DataMatrixDialog& logic, QWidget* parent)
    : QDialog(parent), logic_(logic) {
  setObjectName(QStringLiteral("BtnRightDlg"));
  // F1 opens the help of the Open command.
  setProperty("helpContext", 20);
  setWindowTitle(QStringLiteral("Define data matrix"));
  setToolTip(QStringLiteral("use hints"));

  Label1 = label("Input ...");
  Label2 = label("# of cases (rows):");
  Edit1 = edit("insert # <= 30000");
  Label3 = label("# of vars (columns):", "You may specify less than that");
  Edit2 = edit("insert # <= 100");
  Label4 = label("Note: default values are max admissible.");
  Label5 = label("in case of three-way data ...");
  kblock = radio("k-blocks", "each respondent judges the same # of brands");
  ksample = radio("k-samples  (max 20 subsamples)",
                  "brands are judged by separate samples of respondents");
  Label6 = label("block size (# of repeated measurements):", "# of brands judged by each respondent");
  bssize = edit("brands = repeated measurements");
  GroupBox1 = new QGroupBox(QStringLiteral("Data order"));
  casefirst = radio("second datapoint is 2nd measurement for case 1", "measurements within cases");
  measfirst = radio("second datapoint is 1st measurement for case 2", "cases within measurements");
  askforfn = label("You will be asked for a file containing the subsample indicators.",
                   "a variables indicating to which subsample a case belongs is needed");
  askforfn->setWordWrap(true);
  OKBtn = new QPushButton(QStringLiteral("&OK"));
  CancelBtn = new QPushButton(QStringLiteral("&Cancel"));
  HelpBtn = new QPushButton(QStringLiteral("&Help"));
  OKBtn->setDefault(true);

  const std::pair<QWidget*, const char*> names[] = {
      {Label1, "Label1"},   {Label2, "Label2"},       {Edit1, "Edit1"},       {Label3, "Label3"},
      {Edit2, "Edit2"},     {Label4, "Label4"},       {Label5, "Label5"},     {kblock, "kblock"},
      {ksample, "ksample"}, {Label6, "Label6"},       {bssize, "bssize"},     {GroupBox1, "GroupBox1"},
      {casefirst, "casefirst"}, {measfirst, "measfirst"}, {askforfn, "askforfn"}, {OKBtn, "OKBtn"},
      {CancelBtn, "CancelBtn"}, {HelpBtn, "HelpBtn"}};
  for (const auto& [w, name] : names) w->setObjectName(QString::fromLatin1(name));

  auto* sizes = new QGridLayout;
  sizes->addWidget(Label2, 0, 0);
  sizes->addWidget(Edit1, 0, 1);
  sizes->addWidget(Label3, 1, 0);
  sizes->addWidget(Edit2, 1, 1);
  sizes->setColumnStretch(2, 1);

  auto* block = new QHBoxLayout;
  block->addWidget(Label6);
  block->addWidget(bssize);
  block->addStretch(1);

  auto* order = new QVBoxLayout(GroupBox1);
  order->addWidget(casefirst);
  order->addWidget(measfirst);

  auto* form = new QVBoxLayout;
  form->addWidget(Label1);
  form->addLayout(sizes);
  form->addWidget(Label4);
  form->addSpacing(8);
  form->addWidget(Label5);
  form->addWidget(kblock);
  form->addWidget(ksample);
  form->addLayout(block);
  form->addWidget(GroupBox1);
  form->addWidget(askforfn);
  form->addStretch(1);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(HelpBtn);
  buttons->addStretch(1);

  auto* top = new QHBoxLayout(this);
  top->addLayout(form, 1);
  top->addSpacing(12);
  top->addLayout(buttons);
  top->setSizeConstraint(QLayout::SetFixedSize);

  // Every control event: the typed texts go to the logic first, its state
  // comes back afterwards.
  auto act = [this](void (DataMatrixDialog::*fn)()) {
    return [this, fn] {
      takeTexts();
      (logic_.*fn)();
      refresh();
    };
  };
  connect(kblock, &QRadioButton::clicked, this, act(&DataMatrixDialog::selectKBlock));
  connect(ksample, &QRadioButton::clicked, this, act(&DataMatrixDialog::selectKSample));
  connect(casefirst, &QRadioButton::clicked, this, act(&DataMatrixDialog::selectCaseFirst));
  connect(measfirst, &QRadioButton::clicked, this, act(&DataMatrixDialog::selectMeasFirst));
  connect(HelpBtn, &QPushButton::clicked, this, act(&DataMatrixDialog::help));
  connect(OKBtn, &QPushButton::clicked, this, &TBtnRightDlg::okClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  refresh();
}

void TBtnRightDlg::refresh() {
  Edit1->setText(QString::fromStdString(logic_.edit1));
  Edit2->setText(QString::fromStdString(logic_.edit2));
  bssize->setText(QString::fromStdString(logic_.bssize));
  kblock->setChecked(logic_.kblock);
  ksample->setChecked(logic_.ksample);
  casefirst->setChecked(logic_.casefirst);
  measfirst->setChecked(logic_.measfirst);
  bssize->setEnabled(logic_.bssizeEnabled);
  askforfn->setEnabled(logic_.askforfnEnabled);
}

void TBtnRightDlg::takeTexts() {
  logic_.edit1 = Edit1->text().toStdString();
  logic_.edit2 = Edit2->text().toStdString();
  logic_.bssize = bssize->text().toStdString();
}

void TBtnRightDlg::okClick() {
  takeTexts();
  const bool closes = logic_.ok();
  refresh();
  if (closes) accept();
}

}  // namespace volmar
