#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "commands/Context.h"
#include "core/SegmentProfiles.h"

namespace volmar {

// Caption of the segment profiles window.
inline constexpr const char* ProfilesCaption = "Segment profiles";

// Everything the segment profile chart shows: the numbers, the variables'
// names, both orders of the variables and the settings the chart is drawn
// with. The window and the saved files draw the same chart from it.
struct ProfileChart {
  SegmentProfiles numbers;
  std::vector<std::string> names;     // [v - 1]
  std::vector<int> fileOrder;         // 1..NumVars
  std::vector<int> similarityOrder;   // by complete linkage of the columns
  MarkerThresholds thresholds;
  bool bySimilarity = false;

  const std::vector<int>& order() const { return bySimilarity ? similarityOrder : fileOrder; }
  const std::string& name(int v) const { return names[static_cast<std::size_t>(v - 1)]; }
  bool marker(int s, int v) const { return numbers.marker(s, v, thresholds); }
};

// Enables or disables Show > Segment profiles and File > Save > Segment
// description: on once a training run, recall or refinement has given the
// data segments, off again when other data come in.
void enableSegmentItems(Shell& sh, bool on);

// Throws CommandError unless the labels held were given to these data by
// the last training run, recall or refinement with the current numbers of
// prototypes and replications.
void requireProfileLabels(const Context& ctx);

// The chart of the current segments (labels of column NumReplications), with
// the thresholds last chosen (ctx.profileThresholds) and the file's order.
ProfileChart profileChart(const Context& ctx);

// "Segment 3: 412 cases (13.7 %)": the number, the size and the share of
// all cases in the picture "##0.0" ("1 case" for a single one).
std::string segmentTitle(const SegmentProfiles& p, int s);

// A value of the profiles in text: four decimals, "0.0000;-0.0000".
std::string profileNumber(double v);

// One line per segment and variable, in the chart's order of the
// variables: segment, name, prototype value, sample mean, "yes" for a
// marker variable or "no", separated by tabs.
std::vector<std::string> profileLines(const ProfileChart& chart);

// The segment description file (CSV, CR LF): a heading row; a row "cases"
// with the number of cases under the sample mean and each segment's size
// under its prototype; then one row per variable in file order: name,
// sample mean and SD, and for every segment its prototype value, its cases'
// mean and SD (empty for a segment without cases) and "yes"/"no" for a
// marker variable.
std::string descriptionCsvText(const ProfileChart& chart);

// Show > "Segment &profiles": a further non-modal window with the chart.
void segmentprofiles1Click(Context& ctx);

// File > Save > "Segment description...": the description file through
// the save procedure, in the description's own save dialog.
void segmentdescription1Click(Context& ctx);

// The file formats the chart is saved in, chosen by the file's extension.
enum class ChartFileKind { Png, Svg, Pdf };
// The kind a file name asks for (".png", ".svg", ".pdf" in any case).
std::optional<ChartFileKind> chartFileKind(const std::string& path);

// The profiles window's "&Save chart...": its save dialog (PNG, SVG, PDF),
// the overwrite question, then the file's bytes from `render` for the kind
// its name asks for, written through the one save procedure. A name with
// another extension is refused with a message. Failures show "Could not write to
// file." with the reason and leave an existing file as it was. True when
// the file was written.
bool saveProfileChart(Shell& shell, FileDialog& dialog,
                      const std::function<std::string(ChartFileKind)>& render);

// The filters of the chart's save dialog.
std::vector<std::string> profileChartFilters();

}  // namespace volmar
