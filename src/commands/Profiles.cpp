#include "commands/Profiles.h"

#include <algorithm>
#include <cctype>

#include "commands/BlockTables.h"
#include "commands/FileIO.h"
#include "commands/SaveFiles.h"
#include "core/NumberFormat.h"
#include "io/CsvReader.h"

namespace volmar {

void requireProfileLabels(const Context& ctx) {
  if (ctx.ws.LabelsPrototypes < 1 || ctx.ws.LabelsReplications < 1 || !ctx.names.labelledHere)
    throw CommandError(std::string("There are no segments to describe yet.") + LineBreak +
                       "Train (or recall) on the data first.");
  requireCurrentLabels(ctx.ws);
}

ProfileChart profileChart(const Context& ctx) {
  requireProfileLabels(ctx);
  ProfileChart chart;
  chart.numbers = ComputeSegmentProfiles(ctx.ws, ctx.ws.NumReplications);
  const int V = chart.numbers.numVars;
  for (int v = 1; v <= V; ++v) {
    chart.names.push_back(ctx.names.variable(v));
    chart.fileOrder.push_back(v);
  }
  chart.similarityOrder = CompleteLinkageOrder(VariableDistances(ctx.ws), V);
  chart.thresholds = ctx.profileThresholds;
  return chart;
}

std::string segmentTitle(const SegmentProfiles& p, int s) {
  const int n = p.size[static_cast<std::size_t>(s - 1)];
  return "Segment " + std::to_string(s) + ": " + std::to_string(n) + (n == 1 ? " case (" : " cases (") +
         formatPicture(p.share[static_cast<std::size_t>(s - 1)], "##0.0") + " %)";
}

std::string profileNumber(double v) { return formatPicture(v, "0.0000;-0.0000"); }

std::vector<std::string> profileLines(const ProfileChart& chart) {
  std::vector<std::string> lines;
  const SegmentProfiles& p = chart.numbers;
  for (int s = 1; s <= p.numSegments; ++s)
    for (int v : chart.order())
      lines.push_back(std::to_string(s) + "\t" + chart.name(v) + "\t" + profileNumber(p.prototypeValue(s, v)) +
                      "\t" + profileNumber(p.variables[static_cast<std::size_t>(v - 1)].mean) + "\t" +
                      (chart.marker(s, v) ? "yes" : "no"));
  return lines;
}

std::string descriptionCsvText(const ProfileChart& chart) {
  const SegmentProfiles& p = chart.numbers;
  const char* crlf = "\r\n";
  std::string text = "variable,sample mean,sample sd";
  for (int s = 1; s <= p.numSegments; ++s) {
    const std::string seg = "segment " + std::to_string(s);
    text += "," + seg + " prototype," + seg + " mean," + seg + " sd," + seg + " marker";
  }
  text += crlf;
  text += "cases," + std::to_string(p.numCases) + ",";
  for (int s = 1; s <= p.numSegments; ++s) text += "," + std::to_string(p.size[static_cast<std::size_t>(s - 1)]) + ",,,";
  text += crlf;
  for (int v = 1; v <= p.numVars; ++v) {
    const VariableSpread& var = p.variables[static_cast<std::size_t>(v - 1)];
    text += io::csvField(chart.name(v), ',') + "," + profileNumber(var.mean) + "," + profileNumber(var.sd);
    for (int s = 1; s <= p.numSegments; ++s) {
      const bool empty = p.size[static_cast<std::size_t>(s - 1)] == 0;
      text += "," + profileNumber(p.prototypeValue(s, v));
      text += "," + (empty ? std::string() : profileNumber(p.segmentMean(s, v)));
      text += "," + (empty ? std::string() : profileNumber(p.segmentSd(s, v)));
      text += chart.marker(s, v) ? ",yes" : ",no";
    }
    text += crlf;
  }
  return text;
}

void enableSegmentItems(Shell& sh, bool on) {
  sh.enableMenu(MenuItem::Segmentprofiles1, on);
  sh.enableMenu(MenuItem::Segmentdescription1, on);
}

void segmentprofiles1Click(Context& ctx) { ctx.shell.showSegmentProfiles(profileChart(ctx), ctx.profileThresholds); }

void segmentdescription1Click(Context& ctx) {
  Shell& sh = ctx.shell;
  const ProfileChart chart = profileChart(ctx);
  const auto choice = chooseSaveFile(sh, ctx.descriptionDialog, "csv", "*.csv", 1);
  if (!choice) return;
  sh.setStatus("Save segment description...");
  if (!writeChosenFile(sh, ctx.descriptionDialog, *choice, descriptionCsvText(chart))) return;
  sh.message("Segment description written.");
  sh.setStatus("Done.");
}

std::optional<ChartFileKind> chartFileKind(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return std::nullopt;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == "png") return ChartFileKind::Png;
  if (ext == "svg") return ChartFileKind::Svg;
  if (ext == "pdf") return ChartFileKind::Pdf;
  return std::nullopt;
}

std::vector<std::string> profileChartFilters() {
  return {"PNG image (*.png)|*.png", "SVG drawing (*.svg)|*.svg", "PDF document (*.pdf)|*.pdf"};
}

bool saveProfileChart(Shell& shell, FileDialog& dialog, const std::function<std::string(ChartFileKind)>& render) {
  dialog.filters = profileChartFilters();
  try {
    const auto choice = chooseSaveFile(shell, dialog, "png", "*.png", dialog.filterIndex);
    if (!choice) return false;
    const auto kind = chartFileKind(choice->path);
    if (!kind) {
      shell.message("The chart is saved as a PNG, SVG or PDF file:" + std::string(LineBreak) +
                    "end the file name in .png, .svg or .pdf.");
      return false;
    }
    if (!writeChosenFile(shell, dialog, *choice, render(*kind))) return false;
  } catch (const FileWriteError& e) {
    shell.message(std::string("Could not write to file.") + LineBreak + e.what());
    return false;
  } catch (const std::exception& e) {
    shell.message(std::string("Could not write to file.") + LineBreak + e.what());
    return false;
  }
  shell.message("Chart file written.");
  return true;
}

}  // namespace volmar
