#pragma once

#include <QChartView>
#include <QString>
#include <QStringList>
#include <vector>

#include "commands/Shell.h"

class QBarCategoryAxis;
class QGraphicsSimpleTextItem;
class QBarSeries;
class QBarSet;
class QLineSeries;
class QValueAxis;

namespace volmar {

// The main window's chart: bars (Series1, sum of distances) on the left axis
// with their values marked, a line (Series2, wSSI) on a right axis fixed to
// 0..1, one title line and one foot line. Points are addressed by position;
// each carries a text label shown on the category axis below the bars.
class MainChart : public QChartView {
  Q_OBJECT

 public:
  explicit MainChart(QWidget* parent = nullptr);

  void setTitleLine(const QString& text);
  void setFootLine(const QString& text);
  QString titleLine() const { return title_; }
  QString footLine() const { return foot_; }

  void clearSeries(Series s);
  void addPoint(Series s, double value, const QString& label);
  void setPointValue(Series s, int position, double value);  // 0-based
  // Fixes the left axis; until then it follows the bars.
  void setLeftAxis(double minimum, double maximum);

  int pointCount(Series s) const;
  double value(Series s, int position) const;
  QString label(Series s, int position) const;
  double leftMin() const;
  double leftMax() const;
  bool leftAxisAutomatic() const { return leftAuto_; }
  double rightMin() const;
  double rightMax() const;
  // The value label drawn over bar `position` (shortened where bars are
  // narrow) and where it stands in the chart's scene.
  QString barLabelText(int position) const;
  QRectF barLabelRect(int position) const;
  QRectF plotArea() const;
  // The category name shown under position `position` ("" where names are
  // too crowded to show each) and where it stands in the chart's scene.
  QString categoryLabelText(int position) const;
  QRectF categoryLabelRect(int position) const;
  // The full value of a bar, as its tool tip shows it.
  QString barToolTip(int position) const;

 private:
  struct Point {
    double value;
    QString label;
  };
  std::vector<Point>& points(Series s) { return s == Series::Bars ? bars_ : line_; }
  const std::vector<Point>& points(Series s) const { return s == Series::Bars ? bars_ : line_; }
  void rebuildCategories();
  void rebuildLine();
  void fitLeftAxis();
  void setLeftRange(double minimum, double maximum, double step);
  void placeBarLabels();
  void placeCategoryNames();

  std::vector<Point> bars_, line_;
  QString title_, foot_;
  bool leftAuto_ = true;
  QBarSeries* series1_;
  QBarSet* barSet_;
  QLineSeries* series2_;
  QBarCategoryAxis* bottom_;
  QValueAxis* left_;
  QValueAxis* right_;
  std::vector<QGraphicsSimpleTextItem*> barLabels_;
  QStringList names_;  // the category names, as given
  std::vector<QGraphicsSimpleTextItem*> nameLabels_;
};

}  // namespace volmar
