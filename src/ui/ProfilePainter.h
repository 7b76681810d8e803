#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QStaticText>
#include <QString>
#include <string>
#include <vector>

#include "commands/Profiles.h"

class QPainter;

namespace volmar {

// The segment profile chart, drawn by one routine for the window, the
// saved files and the printer: a legend, then a grid of panels, one per
// segment, each with its title and one horizontal bar per variable (the
// prototype's value) beside the variable's name; the whole sample's means
// as markers joined by a thin line, the same in every panel. Bars of marker
// variables are filled in the segment's colour, the others pale with an
// outline.
//
// The panels keep a readable row height whatever the number of variables:
// the chart grows in height (a window scrolls it) instead of squeezing
// them. Panels wrap into as many columns as the width holds.

// Where everything lies, for a chart of a given width.
struct ProfileLayout {
  QFont font;
  double width = 0, height = 0;
  int columns = 0, rows = 0;
  double rowHeight = 0;       // one variable's row
  QRectF legend;              // the legend's box
  std::vector<QRectF> legendTexts;           // the legend's texts
  std::vector<QString> legendStrings;
  std::vector<QRectF> panels;                 // [s - 1]
  std::vector<QRectF> titles;                 // [s - 1]
  std::vector<QString> titleTexts;            // [s - 1], elided to fit
  std::vector<std::vector<QRectF>> labels;    // [s - 1][row]
  std::vector<std::vector<QRectF>> bars;      // [s - 1][row], the bar's area
  std::vector<QRectF> axisTexts;              // [s - 1], the scale under the bars
  std::vector<QString> labelTexts;            // [row], elided in the middle
  std::vector<QString> fullNames;             // [row]
  // The labels laid out once for every panel (they are alike in all).
  std::vector<QStaticText> labelStatic;       // [row]
  std::vector<double> labelWidth;             // [row]
  // Scale of each row's variable: the value at the bars' left and right ends.
  std::vector<double> low, high;              // [row]
  bool commonScale = true;                    // one scale for every variable
};

// The chart's font: a sans-serif face 11 pixels high.
QFont profileChartFont();

// Lays the chart out for the given width (at least one panel's width).
ProfileLayout layoutProfileChart(const ProfileChart& chart, double width, const QFont& font = profileChartFont());

// Paints the laid-out chart at the painter's origin, white background
// included. With an `exposed` area only the panels and rows that meet it
// are drawn (a window repainting the strip it scrolled into view).
void paintProfileChart(QPainter& painter, const ProfileChart& chart, const ProfileLayout& layout,
                       const QRectF& exposed = QRectF());

// The colour of segment s (1-based), and its pale form.
QColor segmentColour(int s);
QColor paleColour(const QColor& full);

// The chart as file bytes of the given kind, laid out at `width`: a PNG
// image, an SVG drawing or a PDF document whose page is the chart's size.
// Throws std::runtime_error when it cannot be rendered.
std::string renderProfileChart(const ProfileChart& chart, ChartFileKind kind, double width = 1200);

}  // namespace volmar
