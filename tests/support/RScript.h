#pragma once

#include <string>

#include "support/TempDir.h"

namespace volmar::test {

// Runs an R script with the haven package loaded, in `dir`; returns what it
// printed. The test fails with the reason (and R's own messages) when R or
// haven (Debian r-base-core, r-cran-haven) cannot run the script.
std::string runR(const TempDir& dir, const std::string& script);

}  // namespace volmar::test
