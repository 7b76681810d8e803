#pragma once

#include <QDialog>
#include <QMainWindow>
#include <QWidget>
#include <functional>
#include <string>

#include "commands/Shell.h"
#include "commands/Stability.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPrinter;

namespace volmar {

// The one drawing of a stability chart, on the screen, in files and on
// paper: the title, an axis from 0 to 1 with its label, and for every box
// a whisker from the minimum to the maximum, a box from the lower to the
// upper quartile and a line at the median, labelled underneath.
void paintStabilityChart(QPainter& painter, const QRectF& area, const StabilityChart& chart);

// The chart drawn at the given size as the bytes of a PNG, SVG or PDF file
// (by `format`: "png", "svg", "pdf"). Throws std::runtime_error when it
// cannot be rendered.
std::string stabilityChartBytes(const StabilityChart& chart, const std::string& format, QSize size = {900, 600});

class StabilityChartWidget : public QWidget {
 public:
  explicit StabilityChartWidget(const StabilityChart& chart, QWidget* parent = nullptr);
  const StabilityChart& chart() const { return chart_; }
  QSize sizeHint() const override { return {720, 480}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  StabilityChart chart_;
};

// The stability dialog: the range of numbers of segments (global only), the
// number of pairs and whether to refine. "OK" closes it only when the texts
// are valid; otherwise it says what is wrong and stays open.
class StabilityDialogBox : public QDialog {
  Q_OBJECT

 public:
  StabilityDialogBox(StabilityDialog& dialog, QWidget* parent = nullptr);
  QLineEdit* lowerEdit() const { return lower_; }
  QLineEdit* upperEdit() const { return upper_; }
  QLineEdit* pairsEdit() const { return pairs_; }
  QCheckBox* refineBox() const { return refine_; }
  QLabel* problem() const { return problem_; }
  void okClick();

 private:
  StabilityDialog& dialog_;
  QLineEdit* lower_;
  QLineEdit* upper_;
  QLineEdit* pairs_;
  QCheckBox* refine_;
  QLabel* problem_;
};

// The window of a stability study: its chart, with a menu to save it as
// PNG, SVG or PDF and to print it.
class StabilityWindow : public QMainWindow {
  Q_OBJECT

 public:
  StabilityWindow(Shell& shell, const StabilityChart& chart, QWidget* parent = nullptr);

  StabilityChartWidget* chart1() const { return Chart1; }
  QAction* savechart1() const { return Savechart1; }
  QAction* printchart1() const { return Printchart1; }
  FileDialog& saveDialog1() { return SaveDialog1; }
  // The print dialog; true when confirmed. Tests replace it.
  std::function<bool(QPrinter&)> printDialog;

  void savechart1Click();
  void printchart1Click();

 private:
  Shell& shell_;
  StabilityChartWidget* Chart1;
  QAction* Savechart1;
  QAction* Printchart1;
  FileDialog SaveDialog1;
};

}  // namespace volmar
