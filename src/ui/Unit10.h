#pragma once

#include <QChartView>
#include <QMainWindow>
#include <functional>
#include <vector>

#include "commands/Shell.h"

class QPrinter;

namespace volmar {

// A chart with one bubble series: every bubble a circle whose radius is in
// units of the vertical axis (fixed from -1 to 10, no labels), coloured by
// its position in the series, with its text label on it when the bubble is
// large enough to show around the label, and beside it otherwise. The
// bottom axis spans the bubbles' x values with one step to spare.
class BubbleChartView : public QChartView {
  Q_OBJECT

 public:
  explicit BubbleChartView(QWidget* parent = nullptr);

  void setBubbles(const BubbleChart& chart);
  const BubbleChart& bubbles() const { return chart_; }
  // Where the centre of bubble i lies in the view, and its radius in pixels.
  QPointF centre(int i) const;
  double pixelRadius(int i) const;
  // Where the label box of bubble i lies in the view (empty without label).
  QRectF labelRect(int i) const;
  // The colour of point i of the series.
  static QColor pointColour(int i);

 protected:
  void drawForeground(QPainter* painter, const QRectF& rect) override;

 private:
  // Bubble i's centre in scene coordinates, where the chart is drawn.
  QPointF sceneCentre(int i) const;
  QFont labelFont() const;
  // The label boxes of all bubbles in scene coordinates.
  std::vector<QRectF> labelBoxes() const;

  BubbleChart chart_;
};

// "Frequency of prototypes for selected block": the bubble chart of one
// block's prototype frequencies on the projected map, with its own menu to
// save the chart as a bitmap and to print it.
class TForm10 : public QMainWindow {
  Q_OBJECT

 public:
  TForm10(Shell& shell, const BubbleChart& chart, QWidget* parent = nullptr);

  BubbleChartView* chart1() const { return Chart1; }
  QAction* savechart1() const { return Savechart1; }
  QAction* printchart1() const { return Printchart1; }
  FileDialog& saveDialog1() { return SaveDialog1; }
  // The whole chart at its current size as a Windows bitmap file's bytes.
  std::string bitmap() const;

  // The print dialog; true when confirmed. Tests replace it.
  std::function<bool(QPrinter&)> printDialog;

  void savechart1Click();
  void printchart1Click();

 private:
  Shell& shell_;
  BubbleChartView* Chart1;
  QAction* Savechart1;
  QAction* Printchart1;
  FileDialog SaveDialog1;
};

}  // namespace volmar
