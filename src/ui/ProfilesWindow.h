#pragma once

#include <QMainWindow>
#include <QWidget>
#include <functional>

#include "commands/Profiles.h"
#include "ui/ProfilePainter.h"

class QComboBox;
class QDoubleSpinBox;
class QPrinter;
class QScrollArea;

namespace volmar {

// The chart itself: as wide as the space it is given, as high as its
// panels need; the names cut short in the middle show whole in a tool tip.
class ProfileChartWidget : public QWidget {
  Q_OBJECT

 public:
  explicit ProfileChartWidget(ProfileChart chart, QWidget* parent = nullptr);

  const ProfileChart& chart() const { return chart_; }
  const ProfileLayout& layout() const { return layout_; }
  void setThresholds(const MarkerThresholds& t);
  void setBySimilarity(bool bySimilarity);
  // Lays the chart out for a width (the scroll area's viewport width).
  void layOutFor(int width);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  ProfileChart chart_;
  ProfileLayout layout_;
  int width_ = 0;
};

// Show > "Segment profiles": the chart in a scrolling area, with the
// marker thresholds and the order of the variables to choose, and its own
// menu to save the chart (PNG, SVG, PDF) and to print it.
class TSegmentProfiles : public QMainWindow {
  Q_OBJECT

 public:
  TSegmentProfiles(Shell& shell, MarkerThresholds& lastThresholds, const ProfileChart& chart,
                   QWidget* parent = nullptr);

  ProfileChartWidget* chart1() const { return Chart1; }
  QScrollArea* scrollBox() const { return ScrollBox1; }
  QDoubleSpinBox* absoluteEdit() const { return Absolute1; }
  QDoubleSpinBox* relativeEdit() const { return Relative1; }
  QComboBox* orderBox() const { return Order1; }
  QAction* savechart1() const { return Savechart1; }
  QAction* printchart1() const { return Printchart1; }
  FileDialog& saveDialog1() { return SaveDialog1; }

  // The print dialog; true when confirmed. Tests replace it.
  std::function<bool(QPrinter&)> printDialog;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void relayout();
  void thresholdsChanged();

  Shell& shell_;
  MarkerThresholds& last_;
  ProfileChartWidget* Chart1;
  QScrollArea* ScrollBox1;
  QDoubleSpinBox* Absolute1;
  QDoubleSpinBox* Relative1;
  QComboBox* Order1;
  QAction* Savechart1;
  QAction* Printchart1;
  FileDialog SaveDialog1;
};

// Prints the chart on one page, scaled (keeping its shape) into the page
// less the chart margins, as every chart is printed; the panels are laid
// out in as many columns as suit the page best. Throws CommandError.
void printProfileChart(const ProfileChart& chart, QPrinter& printer);

}  // namespace volmar
