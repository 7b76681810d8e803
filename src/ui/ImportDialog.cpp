#include "ui/ImportDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/NumberFormat.h"

namespace volmar {

namespace {

constexpr int UseColumn = 0;
constexpr int NameColumn = 1;
const char* const NoId = "(row number)";

QString text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TImportDlg::TImportDlg(const SurveyFile& file, QWidget* parent) : QDialog(parent), file_(file) {
  setObjectName(QStringLiteral("TImportDlg"));
  setWindowTitle(QStringLiteral("Import survey data"));
  auto* layout = new QVBoxLayout(this);

  FileLabel = new QLabel(this);
  QString about = QFileInfo(text(file.path)).fileName() + QStringLiteral(": ") + text(file.format) +
                  QStringLiteral(", %1 variables, %2 rows").arg(file.variables.size()).arg(file.rows);
  if (file.format == "CSV")
    about += QStringLiteral(", separator %1, decimal %2")
                 .arg(file.separator == '\t' ? QStringLiteral("tab")
                                              : QStringLiteral("\"") + QChar(file.separator) + QStringLiteral("\""),
                      file.decimalComma ? QStringLiteral("comma") : QStringLiteral("point"));
  FileLabel->setText(about);
  layout->addWidget(FileLabel);

  Variables = new QTableWidget(static_cast<int>(file.variables.size()), 5, this);
  Variables->setObjectName(QStringLiteral("Variables"));
  Variables->setHorizontalHeaderLabels({"Use", "Name", "Label", "Type", "Missing"});
  Variables->verticalHeader()->setVisible(false);
  Variables->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Variables->setSelectionMode(QAbstractItemView::NoSelection);
  for (int r = 0; r < Variables->rowCount(); ++r) {
    const SurveyVariable& v = file.variables[static_cast<std::size_t>(r)];
    auto* use = new QTableWidgetItem;
    // Text variables cannot be data; the tool tip says why.
    use->setFlags(v.numeric ? Qt::ItemIsUserCheckable | Qt::ItemIsEnabled : Qt::ItemFlags{});
    use->setCheckState(Qt::Unchecked);
    if (!v.numeric && v.firstTextLine > 0)
      use->setToolTip(QStringLiteral("Line %1 holds \"%2\": not a number").arg(v.firstTextLine).arg(text(v.firstText)));
    else if (!v.numeric)
      use->setToolTip(QStringLiteral("A %1 variable cannot be data").arg(text(v.type)));
    Variables->setItem(r, UseColumn, use);
    Variables->setItem(r, NameColumn, new QTableWidgetItem(text(v.name)));
    Variables->setItem(r, 2, new QTableWidgetItem(text(v.label)));
    Variables->setItem(r, 3, new QTableWidgetItem(text(v.type)));
    Variables->setItem(r, 4, new QTableWidgetItem(QString::number(v.missing)));
  }
  Variables->resizeColumnsToContents();
  Variables->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(Variables, 1);
  ChosenLabel = new QLabel(this);
  layout->addWidget(ChosenLabel);

  auto* form = new QFormLayout;
  IdBox = new QComboBox(this);
  IdBox->setObjectName(QStringLiteral("IdBox"));
  IdBox->addItem(QString::fromLatin1(NoId));
  for (const SurveyVariable& v : file.variables) IdBox->addItem(text(v.name));
  form->addRow(QStringLiteral("&ID variable:"), IdBox);
  MissingEdit = new QLineEdit(this);
  MissingEdit->setObjectName(QStringLiteral("MissingEdit"));
  MissingEdit->setPlaceholderText(QStringLiteral("e.g. 99,-9 (blank cells and NA are always missing)"));
  form->addRow(QStringLiteral("&Missing codes:"), MissingEdit);
  layout->addLayout(form);

  auto* kind = new QGroupBox(QStringLiteral("Three-way data"), this);
  auto* grid = new QVBoxLayout(kind);
  TwoWay = new QRadioButton(QStringLiteral("&none (two-way data)"), kind);
  KBlocks = new QRadioButton(QStringLiteral("k-&blocks"), kind);
  KSamples = new QRadioButton(QStringLiteral("k-&samples from the variable"), kind);
  TwoWay->setChecked(true);
  auto* blocks = new QHBoxLayout;
  blocks->addWidget(KBlocks);
  blocks->addWidget(new QLabel(QStringLiteral("block size:"), kind));
  BlockSize = new QSpinBox(kind);
  BlockSize->setRange(1, MaxBlocks);
  blocks->addWidget(BlockSize);
  CaseFirst = new QRadioButton(QStringLiteral("measurements within cases"), kind);
  MeasFirst = new QRadioButton(QStringLiteral("cases within measurements"), kind);
  auto* order = new QButtonGroup(kind);
  order->addButton(CaseFirst);
  order->addButton(MeasFirst);
  CaseFirst->setChecked(true);
  blocks->addWidget(CaseFirst);
  blocks->addWidget(MeasFirst);
  blocks->addStretch();
  auto* samples = new QHBoxLayout;
  samples->addWidget(KSamples);
  SubsampleBox = new QComboBox(kind);
  SubsampleBox->setObjectName(QStringLiteral("SubsampleBox"));
  for (const SurveyVariable& v : file.variables)
    if (v.numeric) SubsampleBox->addItem(text(v.name));
  samples->addWidget(SubsampleBox, 1);
  grid->addWidget(TwoWay);
  grid->addLayout(blocks);
  grid->addLayout(samples);
  SubsampleLabels = new QLabel(kind);
  SubsampleLabels->setWordWrap(true);
  grid->addWidget(SubsampleLabels);
  layout->addWidget(kind);

  auto* buttons = new QDialogButtonBox(this);
  OKBtn = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
  CancelBtn = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(Variables, &QTableWidget::itemChanged, this, [this] { refresh(); });
  connect(SubsampleBox, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
  for (QRadioButton* b : {TwoWay, KBlocks, KSamples}) connect(b, &QRadioButton::toggled, this, [this] { refresh(); });

  choose(defaultImportVariables(file, ""));
  resize(640, 520);
}

void TImportDlg::choose(const std::vector<std::string>& names) {
  for (int r = 0; r < Variables->rowCount(); ++r) {
    QTableWidgetItem* use = Variables->item(r, UseColumn);
    if (!(use->flags() & Qt::ItemIsUserCheckable)) continue;
    const std::string name = file_.variables[static_cast<std::size_t>(r)].name;
    use->setCheckState(std::find(names.begin(), names.end(), name) != names.end() ? Qt::Checked : Qt::Unchecked);
  }
  refresh();
}

ImportOptions TImportDlg::options() const {
  ImportOptions o;
  if (IdBox->currentIndex() > 0) o.id = IdBox->currentText().toStdString();
  if (KSamples->isChecked()) o.subsamples = SubsampleBox->currentText().toStdString();
  for (int r = 0; r < Variables->rowCount(); ++r) {
    const std::string name = file_.variables[static_cast<std::size_t>(r)].name;
    // The ID and the subsample variable are never data, checked or not.
    if (Variables->item(r, UseColumn)->checkState() == Qt::Checked && name != o.id && name != o.subsamples)
      o.variables.push_back(name);
  }
  const QStringList codes = MissingEdit->text().split(QLatin1Char(','), Qt::SkipEmptyParts);
  for (const QString& c : codes) o.missingCodes.push_back(c.trimmed().toStdString());
  o.kBlocks = KBlocks->isChecked();
  o.blockSize = o.kBlocks ? BlockSize->value() : 1;
  o.caseFirst = CaseFirst->isChecked();
  return o;
}

void TImportDlg::refresh() {
  int chosen = 0;
  for (int r = 0; r < Variables->rowCount(); ++r) chosen += Variables->item(r, UseColumn)->checkState() == Qt::Checked;
  ChosenLabel->setText(QStringLiteral("%1 of at most %2 variables chosen").arg(chosen).arg(MaxImportVariables));
  BlockSize->setEnabled(KBlocks->isChecked());
  CaseFirst->setEnabled(KBlocks->isChecked());
  MeasFirst->setEnabled(KBlocks->isChecked());
  SubsampleBox->setEnabled(KSamples->isChecked());
  QString labels;
  if (KSamples->isChecked()) {
    for (const SurveyVariable& v : file_.variables)
      if (text(v.name) == SubsampleBox->currentText())
        for (const auto& [value, label] : v.valueLabels)
          labels += (labels.isEmpty() ? QString() : QStringLiteral(", ")) +
                    text(formatGeneral(value)) + QStringLiteral(" = ") + text(label);
  }
  SubsampleLabels->setText(labels);
  SubsampleLabels->setVisible(!labels.isEmpty());
}

}  // namespace volmar
