#include "commands/Compare.h"

#include <algorithm>
#include <optional>

#include "commands/FileIO.h"
#include "commands/SaveFiles.h"
#include "core/NumberFormat.h"

namespace volmar {

std::uint64_t maximumHits(const Workspace& ws, int replications) {
  std::uint64_t inside = 0;
  const int k = std::clamp(ws.NumPrototypes, 0, MaxPrototypes);
  for (int p = 1; p <= k; ++p) {
    const std::int64_t size = ws.ClassSize[p];
    if (size > 1) inside += static_cast<std::uint64_t>(size * (size - 1) / 2);
  }
  return static_cast<std::uint64_t>(std::max(replications, 0)) * inside;
}

std::vector<long double> misplacedFrequencies(const PairCounts& counts) {
  const long double pairs = static_cast<long double>(counts.pairs());
  std::vector<long double> f;
  for (int k = 0; k <= counts.replications / 2; ++k)
    f.push_back(100.0L * static_cast<long double>(counts.pairsDeviating(k)) / pairs);
  return f;
}

std::vector<std::string> comparisonLines(const PairCounts& counts, std::uint64_t maxHits) {
  const int R = counts.replications;
  const long double P = static_cast<long double>(counts.pairs());
  const long double D = static_cast<long double>(counts.totalDeviations());
  const long double H = static_cast<long double>(counts.totalHits());
  const long double T = static_cast<long double>(R) * P;
  const long double Dmax = static_cast<long double>(R / 2) * P;
  const long double robustness = (T - D) / T;
  const long double reduction = 100.0L - 100.0L * D / Dmax;
  const long double reached = maxHits > 0 ? 100.0L * H / static_cast<long double>(maxHits) : 0.0L;
  return {
      " ",
      "   Comparison over replications",
      "# of pairs deviating from ",
      "perfect class assignment:  " + formatPicture(D, "   ###########0"),
      "robustness (min=.5,max=1)  " + formatPicture(robustness, "##.0000"),
      "% uncertainty reduction    " + formatPicture(reduction, "##.00"),
      "total # of hits:           " + formatPicture(H, "   ###########0"),
      "max possible # of hits given",
      "the most recent class sizes:  " + formatPicture(static_cast<long double>(maxHits), "###########0"),
      "% of maximum reached:      " + formatPicture(reached, "####.0#"),
  };
}

std::string errorHitsFileText(const std::vector<long double>& frequencies) {
  std::string text;
  for (long double f : frequencies) {
    text += formatPicture(f, " ###.000");
    text += "\r\n";
  }
  return text;
}

void compareoverreplications1Click(Context& ctx) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  const int n = ws.NumCases;
  const int R = ws.NumReplications;
  if (n < 2)
    throw CommandError(std::string("The comparison over replications needs at least two cases:") + LineBreak +
                       "with fewer there is no pair of cases to compare.");
  if (R < 2 || R > MaxReplications)
    throw CommandError(std::string("The comparison over replications needs 2 to 50 replications;") + LineBreak +
                       "set them in Analysis > Parameterize and train again.");

  sh.message(std::string("You will be asked for a filename for") + LineBreak +
             "writing the relative frequencies of the" + LineBreak + "absolute frequencies of misplaced pairs.");
  const std::optional<SaveChoice> choice = chooseSaveFile(ctx, "err", "*.err", ErrorHitsFilter);
  // The file is written whole once the counts are known; whether it can be
  // written at all is known before the long computation starts.
  if (choice) checkFileWritable(choice->path);

  sh.setBusyCursor(true);
  sh.setStatus("Compare...");
  const PairCounts counts = ComparePairs(ws, n, R, [&sh] { sh.repaintList(); });
  const std::vector<long double> f = misplacedFrequencies(counts);

  if (choice) {
    if (const auto path = writeChosenFile(sh, ctx.saveDialog, *choice, errorHitsFileText(f)))
      sh.message("Error hits distribution written to file " + *path + ".");
  }

  for (const std::string& line : comparisonLines(counts, maximumHits(ws, R))) sh.appendLine(line);
  sh.selectLastLine();

  sh.clearSeries(Series::Bars);
  sh.clearSeries(Series::Line);
  sh.setLeftAxis(0, 100);
  for (std::size_t k = 0; k < f.size(); ++k)
    sh.addPoint(Series::Bars, static_cast<double>(f[k]), std::to_string(k));
  sh.setChartTitle("Relative frequencies of the numbers of misplaced pairs");
  sh.setChartFoot("pairs misplaced ... times");
  sh.refreshChart();

  sh.setBusyCursor(false);
  sh.beep();
  sh.setStatus("Done.");
}

}  // namespace volmar
