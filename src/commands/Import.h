#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commands/Context.h"

namespace volmar {

// One variable of a survey file, as the import dialog lists it.
struct SurveyVariable {
  std::string name;
  std::string label;   // "" when the file has none
  bool numeric = true; // every value that is not missing is a number
  std::string type = "number";  // "number", "text" or "date"
  int missing = 0;     // blank cells, "NA", the file's own missing values
  // Where the first value that is not a number stands (numeric false).
  int firstTextLine = 0;
  std::string firstText;
  std::vector<std::pair<double, std::string>> valueLabels;  // value, label
};

// What a survey file holds, as far as the choice of variables needs it.
struct SurveyFile {
  std::string path;
  std::string format;      // "CSV", "SPSS", "Stata"
  std::vector<SurveyVariable> variables;
  int rows = 0;            // data rows (cases of the file)
  char separator = ',';    // CSV: the separator used
  bool decimalComma = false;
};

// Most variables the import dialog lets the user choose.
inline constexpr int MaxImportVariables = MaxVars;

// What the user chose in the import dialog (or the batch line).
struct ImportOptions {
  std::vector<std::string> variables;  // the data, in this order
  std::string id;                      // "" = none: the row number is the ID
  std::vector<std::string> missingCodes;
  std::string subsamples;              // k-samples: the subsample variable
  bool kBlocks = false;
  int blockSize = 1;
  bool caseFirst = true;
};

// How a CSV file is read: 0 / nothing detects the separator from the header
// line and takes the decimal comma when the separator is not ",".
struct CsvFormat {
  char separator = 0;
  std::optional<bool> decimalComma;
};

// The import dialog's default choice: every numeric variable but the ID
// (at most MaxImportVariables of them).
std::vector<std::string> defaultImportVariables(const SurveyFile& file, const std::string& id);

// Reads the header and every row of a survey file to list its variables.
// Throws CommandError with the reason when the file cannot be read.
SurveyFile scanSurveyFile(const std::string& path, const CsvFormat& format = {});

// Reads the chosen columns and puts the complete cases into the workspace,
// with their names and IDs; reports what was read. A choice that does not
// fit the file, a value that is not a number, or too many cases end the
// import with a CommandError and change nothing.
void importSurveyData(Context& ctx, const SurveyFile& file, const ImportOptions& options);

// Shows the import dialog on the scanned file; nothing = Cancel.
using ImportChooser = std::function<std::optional<ImportOptions>(const SurveyFile&)>;

// File > "&Import...": asks for the file, lists its variables, lets the
// user choose and imports.
void import1Click(Context& ctx, const CsvFormat& format, const ImportChooser& choose);

// ---- Segments with IDs ---------------------------------------------------------

// The text of the segments file: a header (the ID's heading, then
// "segment" for one replication or "segment_r1" ...), then one row per row
// of the file the data came from, in its order: the ID and the label of each
// replication, blank for rows left out. CR LF line ends.
std::string segmentsCsvText(const Context& ctx);

// The same as an SPSS .sav file: the ID (numeric when every ID is a
// number), then the segments with value labels "Segment 1" ... and
// variable labels naming the prototypes and the replication,
// system-missing for rows left out.
std::string segmentsSavBytes(const Context& ctx);

// File > Save > "Segments with IDs...": a name ending in ".sav" gives the
// SPSS file, any other the CSV file.
void segmentswithIDs1Click(Context& ctx);

}  // namespace volmar
