#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commands/Context.h"
#include "core/PairComparison.h"

namespace volmar {

// The comparison over replications, from the pair counts: the ten lines of
// the output list, the relative frequencies of the numbers of misplaced
// pairs and the error-hits file.

// M: R times the pairs inside the classes of the most recent class sizes
// (ClassSize[1..NumPrototypes]).
std::uint64_t maximumHits(const Workspace& ws, int replications);

// f[k] = 100 h[k] / P for k = 0..R div 2: the percentage of all pairs that
// are placed against their majority in exactly k replications. Needs at
// least one pair.
std::vector<long double> misplacedFrequencies(const PairCounts& counts);

// The ten output lines, from " " to "% of maximum reached:      ...".
std::vector<std::string> comparisonLines(const PairCounts& counts, std::uint64_t maxHits);

// The error-hits file: one line " ###.000" per frequency, CR LF each.
std::string errorHitsFileText(const std::vector<long double>& frequencies);

// Analysis > "&Compare over replications". Refused with a message, before
// anything is asked, with fewer than two cases or two replications (there
// is then no pair, or no majority, to measure).
void compareoverreplications1Click(Context& ctx);

}  // namespace volmar
