#include "commands/BlockTables.h"

#include <algorithm>
#include <cmath>

#include "core/Limits.h"
#include "core/NumberFormat.h"
#include "core/NumberReader.h"

namespace volmar {

namespace {

int clampedCases(const Workspace& ws) { return std::clamp(ws.NumCases, 0, MaxCases); }
int clampedPrototypes(const Workspace& ws) { return std::clamp(ws.NumPrototypes, 0, MaxPrototypes); }
int blockSize(const Workspace& ws) { return std::clamp(ws.BlockSize, 1, MaxBlocks); }

// The label of case c in column NumReplications, 0 when it lies outside
// 1..NumPrototypes.
int labelOf(const Workspace& ws, int c) {
  const int label = ws.ClassLabels(c, std::clamp(ws.NumReplications, 1, MaxReplications));
  return label >= 1 && label <= clampedPrototypes(ws) ? label : 0;
}

// The case of respondent r (1..M) in block b (1..k).
int caseOf(const Workspace& ws, int r, int b) {
  const int k = blockSize(ws);
  return ws.CaseFirst ? (r - 1) * k + b : (b - 1) * (clampedCases(ws) / k) + r;
}

std::string plain(long long v) { return std::to_string(v); }

// The standard message for a text that is no integer.
[[noreturn]] void invalidInteger(const std::string& text) {
  throw CommandError("'" + text + "' is not a valid integer value");
}

}  // namespace

int blockRowCount(const Workspace& ws) {
  if (!ws.KSamples) return blockSize(ws);
  int highest = 1;
  for (int c = 1; c <= clampedCases(ws); ++c) {
    const int s = ws.SubsampleOf[c];
    if (s >= 1 && s <= MaxBlocks) highest = std::max(highest, s);
  }
  return highest;
}

void requireCurrentLabels(const Workspace& ws) {
  if (ws.LabelsPrototypes < 1)
    throw CommandError(std::string("There are no class labels yet.") + LineBreak +
                       "Train first (Analysis > Train).");
  if (ws.NumPrototypes != ws.LabelsPrototypes || ws.NumReplications != ws.LabelsReplications)
    throw CommandError(std::string("The class labels belong to an earlier setting: the parameters") + LineBreak +
                       "(or the prototypes) have changed since the last training run." + LineBreak +
                       "Please run a new training (Analysis > Train) first.");
}

int countBlockProtoFreq(Workspace& ws) {
  const int n = clampedCases(ws);
  const int k = blockSize(ws);
  const int protos = clampedPrototypes(ws);
  const int rows = ws.KSamples ? MaxBlocks : k;
  for (int b = 1; b <= rows; ++b)
    for (int p = 1; p <= protos; ++p) ws.BlockProtoFreq(b, p) = 0;
  int leftOut = 0;
  const auto add = [&](int block, int c) {
    const int label = labelOf(ws, c);
    if (block < 1 || block > MaxBlocks || label == 0) {
      ++leftOut;
      return;
    }
    ++ws.BlockProtoFreq(block, label);
  };
  const int m = n / k;
  if (k > 1 && ws.CaseFirst) {
    for (int r = 1; r <= m; ++r)
      for (int b = 1; b <= k; ++b) add(b, (r - 1) * k + b);
  } else if (k > 1) {
    for (int b = 1; b <= k; ++b)
      for (int r = 1; r <= m; ++r) add(b, (b - 1) * m + r);
  }
  if (ws.KSamples)
    for (int c = 1; c <= n; ++c) add(ws.SubsampleOf[c], c);
  return leftOut;
}

GridCells blocksTableCells(const Workspace& ws) {
  const int k = blockRowCount(ws);
  const int protos = clampedPrototypes(ws);
  const int n = clampedCases(ws);
  GridCells cells(static_cast<std::size_t>(k) + 2, std::vector<std::string>(static_cast<std::size_t>(protos) + 2));
  const auto at = [&](int col, int row) -> std::string& {
    return cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
  };
  at(0, 0) = "type#:";
  at(protos + 1, 0) = "rowcount";
  at(0, k + 1) = "colcount";
  long long total = 0;
  for (int p = 1; p <= protos; ++p) {
    at(p, 0) = plain(p);
    long long column = 0;
    for (int b = 1; b <= k; ++b) column += ws.BlockProtoFreq(b, p);
    at(p, k + 1) = formatPicture(column, "####0");
    total += column;
  }
  for (int b = 1; b <= k; ++b) {
    at(0, b) = "bl(sa) " + plain(b);
    long long row = 0;
    for (int p = 1; p <= protos; ++p) {
      const int v = ws.BlockProtoFreq(b, p);
      row += v;
      if (v != 0) at(p, b) = formatPicture(static_cast<long double>(v) * 100 / n, "##0.00");
    }
    at(protos + 1, b) = formatPicture(row, "####0");
  }
  at(protos + 1, k + 1) = formatPicture(total, "######0");
  return cells;
}

void blockssamplesxPrototypescontingencytable1Click(Context& ctx) {
  requireCurrentLabels(ctx.ws);
  const int leftOut = countBlockProtoFreq(ctx.ws);
  Shell& sh = ctx.shell;
  if (leftOut > 0)
    sh.message(plain(leftOut) + " case(s) left out of the table: a subsample number outside 1.." +
               plain(MaxBlocks) + LineBreak + "or a class label outside 1.." + plain(clampedPrototypes(ctx.ws)) + ".");
  sh.enableMenu(MenuItem::BlockssamplesxPrototypestable1, true);
  sh.enableMenu(MenuItem::Adjgraphforselectedblockssamples1, true);
  sh.message("Ready to show Block(samples) x Prototypes table.");
}

void blockssamplesxPrototypestable1Click(Context& ctx) { ctx.shell.showBlocksTable(blocksTableCells(ctx.ws)); }

int countPairCrossTab(Workspace& ws, int a, int b) {
  const int protos = clampedPrototypes(ws);
  for (int i = 1; i <= protos; ++i)
    for (int j = 1; j <= protos; ++j) ws.PairCrossTab(i, j) = 0;
  const int m = clampedCases(ws) / blockSize(ws);
  int leftOut = 0;
  for (int r = 1; r <= m; ++r) {
    const int la = labelOf(ws, caseOf(ws, r, a));
    const int lb = labelOf(ws, caseOf(ws, r, b));
    if (la == 0 || lb == 0) {
      ++leftOut;
      continue;
    }
    ++ws.PairCrossTab(la, lb);
  }
  return leftOut;
}

namespace {

// Margins of PairCrossTab and m = n / k, the respondents as a real number.
struct PairMargins {
  std::vector<long long> row, col;  // 1-based
  long long total = 0;
  long long diagonal = 0;
  long double m = 0;
};

PairMargins pairMargins(const Workspace& ws) {
  const int protos = clampedPrototypes(ws);
  PairMargins g;
  g.row.assign(static_cast<std::size_t>(protos) + 1, 0);
  g.col.assign(static_cast<std::size_t>(protos) + 1, 0);
  for (int i = 1; i <= protos; ++i)
    for (int j = 1; j <= protos; ++j) {
      const long long v = ws.PairCrossTab(i, j);
      g.row[static_cast<std::size_t>(i)] += v;
      g.col[static_cast<std::size_t>(j)] += v;
      if (i == j) g.diagonal += v;
    }
  for (int j = 1; j <= protos; ++j) g.total += g.col[static_cast<std::size_t>(j)];
  g.m = static_cast<long double>(clampedCases(ws)) / blockSize(ws);
  return g;
}

}  // namespace

std::string similarityMessage(const Workspace& ws) {
  const PairMargins g = pairMargins(ws);
  const long double s = g.m > 0 ? g.diagonal / g.m : 0;
  return "Similarity Coeff for b" + ws.FirstBlockText + " and b" + ws.SecondBlockText + " = " + formatGeneral(s);
}

GridCells pairTableCells(const Workspace& ws) {
  const int protos = clampedPrototypes(ws);
  const PairMargins g = pairMargins(ws);
  const auto size = static_cast<std::size_t>(protos) + 2;
  GridCells cells(size, std::vector<std::string>(size));
  const auto at = [&](int col, int row) -> std::string& {
    return cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
  };
  const bool abs = ws.PairShowsAbsFreq;
  at(0, 0) = ws.FirstBlockText + " & " + ws.SecondBlockText;
  at(protos + 1, 0) = abs ? "rowcount" : "row probs";
  at(0, protos + 1) = abs ? "colcount" : "col probs";
  for (int i = 1; i <= protos; ++i) {
    at(i, 0) = "#" + plain(i);
    at(0, i) = "type #" + plain(i);
  }
  const auto ui = [](int i) { return static_cast<std::size_t>(i); };
  if (abs) {
    for (int i = 1; i <= protos; ++i) {
      for (int j = 1; j <= protos; ++j) at(j, i) = formatPicture(ws.PairCrossTab(i, j), "####0");
      at(protos + 1, i) = formatPicture(g.row[ui(i)], "####0");
      at(i, protos + 1) = formatPicture(g.col[ui(i)], "####0");
    }
    at(protos + 1, protos + 1) = formatPicture(g.total, "######0");
    return cells;
  }
  // With no respondents every proportion is 0 rather than 0 / 0.
  const long double m = g.m;
  const auto share = [m](long double v) { return m > 0 ? v / m : 0.0L; };
  for (int i = 1; i <= protos; ++i) {
    const long double a = share(g.row[ui(i)]);
    for (int j = 1; j <= protos; ++j) {
      const long double b = share(g.col[ui(j)]);
      const long double p = share(ws.PairCrossTab(i, j));
      const long double ab = a * b;
      const long double q = ab > 0 ? std::sqrt(ab) : 1.0L;
      at(j, i) = formatPicture(std::sqrt(m) * (p - ab) / q, "##0.000");
    }
    at(protos + 1, i) = formatPicture(a, "###0.000");
    at(i, protos + 1) = formatPicture(share(g.col[ui(i)]), "###0.000");
  }
  at(protos + 1, protos + 1) = formatPicture(share(g.total), "####0.000");
  return cells;
}

namespace {

void crosstabulate(Context& ctx, bool absFreq) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  requireCurrentLabels(ws);
  std::string answer = sh.inputBox("Prepare crosstabulation", "Define the pair you want to see", "1&2");
  std::erase(answer, ' ');
  const std::size_t amp = answer.find('&');
  ws.FirstBlockText = amp == std::string::npos ? std::string() : answer.substr(0, amp);
  ws.SecondBlockText = amp == std::string::npos ? answer : answer.substr(amp + 1);
  const auto a = parseInteger(ws.FirstBlockText);
  if (!a) invalidInteger(ws.FirstBlockText);
  const auto b = parseInteger(ws.SecondBlockText);
  if (!b) invalidInteger(ws.SecondBlockText);
  const int k = ws.BlockSize;
  if (*a < 1 || *a > k || *b < 1 || *b > k) {
    sh.message("Retype. 1 <= values <= " + plain(k) + ", connected with & expected.");
    return;
  }
  const int leftOut = countPairCrossTab(ws, *a, *b);
  if (leftOut > 0)
    sh.message(plain(leftOut) + " respondent(s) left out of the table: a class label outside 1.." +
               plain(clampedPrototypes(ws)) + ".");
  sh.enableMenu(MenuItem::Frequencyofprototypesforpairofblocks1, true);
  ws.PairShowsAbsFreq = absFreq;
  sh.message("Ready to show prototypes in pairwise blocks table.");
  frequencyofprototypesforpairofblocks1Click(ctx);
}

}  // namespace

void absfrequencies1Click(Context& ctx) { crosstabulate(ctx, true); }
void standardizeddeviations1Click(Context& ctx) { crosstabulate(ctx, false); }

void frequencyofprototypesforpairofblocks1Click(Context& ctx) {
  // The window's creation shows the similarity before the window itself.
  if (ctx.ws.PairShowsAbsFreq) ctx.shell.message(similarityMessage(ctx.ws));
  ctx.shell.showPairTable(pairTableCells(ctx.ws));
}

}  // namespace volmar
