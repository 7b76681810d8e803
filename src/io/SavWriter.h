#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace volmar::io {

class SavWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The segments of every row of a file, to be written as an SPSS file.
struct SegmentsTable {
  std::string idName;
  std::vector<std::string> ids;        // one per row
  int prototypes = 0;                  // of the run that made the labels
  int replications = 0;
  std::vector<std::vector<int>> labels;  // per row: one per replication, 0 = left out
};

// The bytes of an SPSS .sav file: the ID (numeric when every ID is a
// number, else a string), then "segment" or "segment_r1" ... with value
// labels "Segment 1" ... and variable labels naming the number of prototypes
// and the replication; system-missing for rows left out.
std::string segmentsSavBytes(const SegmentsTable& table);

}  // namespace volmar::io
