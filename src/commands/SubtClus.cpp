#include "commands/SubtClus.h"

#include <cmath>
#include <string>
#include <vector>

#include "core/NumberFormat.h"
#include "core/NumberReader.h"
#include "core/Parallel.h"
#include "core/SubtractiveClustering.h"

namespace volmar {

void subtractiveclustering1Click(Context& ctx) {
  ctx.ws.NumTrials = 0;
  ctx.ws.UseSubtClus = true;
  ctx.shell.message(std::string("Random initialization will be") + LineBreak +
                    "replaced by initial density centers.");
  ctx.shell.setStatus("Ready for training.");
}

void SubtClus(Context& ctx, int K) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  if (ws.NumCases < 1) throw CommandError("There are no cases to choose density centers from.");
  sh.appendLine(" ");
  sh.appendLine("Subtractive clustering initialization:");
  sh.selectLastLine();
  sh.setStatus("Seek density centers...");
  const std::string text = sh.inputBox("Input the radius parameter",
                                       "larger values generate fewer density centers",
                                       formatGeneral(1.0L / K));
  const auto radius = parseRealEntry(text);
  // Only r^2 enters, through the kernel widths alpha = 4 / r^2 and beta =
  // 1.5 alpha. A radius whose widths are not finite positive numbers (0, or
  // so small or so large that they overflow or vanish) gives no potentials.
  const long double r = radius ? *radius : 0.0L;
  const double alpha = static_cast<double>(4.0L / (r * r));
  const double beta = 1.5 * alpha;
  auto usable = [](double w) { return w > 0 && std::isfinite(w); };
  if (!radius || !usable(alpha) || !usable(beta))
    throw CommandError("'" + text + "' is not a valid floating point value");
  sh.setBusyCursor(true);

  const ClusterRows rows(ws);
  std::vector<double> potential;
  subtractivePotentials(rows, alpha, potential, EngineThreads());
  int firstSpent = 0;  // first centre chosen with no potential left
  for (int k = 1; k <= K; ++k) {
    double best = -1e13;
    int m = 1;
    for (int i = 1; i <= ws.NumCases; ++i) {
      if (potential[static_cast<std::size_t>(i - 1)] > best) {
        best = potential[static_cast<std::size_t>(i - 1)];
        m = i;
      }
    }
    const double pstar = potential[static_cast<std::size_t>(m - 1)];
    if (!std::isfinite(pstar)) {
      sh.setBusyCursor(false);
      throw CommandError("The potentials of these data cannot be computed with this radius: try another one.");
    }
    if (pstar <= 0 && firstSpent == 0) firstSpent = k;
    const float* src = ws.DataMatrix.row(m);
    float* dst = ws.Prototypes.row(k);
    for (int v = 0; v < ws.NumVars; ++v) dst[v] = src[v];
    sh.appendLine("(Next) highest potential is " + formatPicture(pstar, "###########0.0##"));
    sh.selectLastLine();
    sh.appendLine("data point # " + formatPicture(m, "#####0"));
    reducePotentials(rows, potential, m, pstar, beta);
  }
  sh.setBusyCursor(false);
  if (firstSpent > 0)
    sh.message("Density center #" + std::to_string(firstSpent) + " has a potential of 0 or less:" + LineBreak +
               "from there on the centers can repeat data points chosen before." + LineBreak +
               "A smaller radius gives more distinct density centers.");
  sh.beep();
  sh.setStatus("Done.");
  ws.NumTrials = 0;
  ws.UseSubtClus = false;
}

}  // namespace volmar
