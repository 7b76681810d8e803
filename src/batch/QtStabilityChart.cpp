#include "batch/QtStabilityChart.h"

#include <exception>

#include "batch/QtRuntime.h"
#include "commands/FileIO.h"
#include "ui/StabilityWindow.h"

namespace volmar::batch {

std::optional<std::string> saveStabilityChartFile(const StabilityChart& chart, const std::string& path,
                                                  bool replace) {
  ensureQtApplication();
  const auto dot = path.rfind('.');
  const std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
  try {
    const std::string bytes = stabilityChartBytes(chart, ext);
    if (replace)
      writeFileReplacing(path, bytes);
    else
      writeNewFile(path, bytes);
  } catch (const FileExistsError&) {
    return path + " exists and was not replaced; add replace=yes to overwrite it";
  } catch (const std::exception& e) {
    return e.what();
  }
  return std::nullopt;
}

}  // namespace volmar::batch
