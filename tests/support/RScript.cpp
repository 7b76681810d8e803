#include "support/RScript.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace volmar::test {

std::string runR(const TempDir& dir, const std::string& script) {
  const std::string file = dir.write("script.R", "suppressPackageStartupMessages(library(haven))\n" + script);
  const std::string out = dir.file("R.out");
  const std::string cmd = "cd '" + dir.path() + "' && Rscript --vanilla '" + file + "' >'" + out + "' 2>&1";
  const int status = std::system(cmd.c_str());
  EXPECT_EQ(status, 0) << "R with haven (Debian r-base-core, r-cran-haven) must run this script:\n"
                       << script << "\nR said:\n" << readFile(out);
  return readFile(out);
}

}  // namespace volmar::test
