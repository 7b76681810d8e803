// Batch script parser: every line is either parsed or refused with its
// number; a parsed line has the arguments and only the answers its command
// takes (the required positional words and at most the optional ones),
// holds no control character, and no message runs long.
#include <algorithm>
#include <string>

#include "FuzzInput.h"
#include "batch/CommandTable.h"
#include "batch/Script.h"

using namespace volmar;
using namespace volmar::batch;

namespace {

bool hasControl(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return (c < 32 && c != '\t') || c == 127;
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
  const ParsedScript parsed = parseScript(text, commandTable());
  int last = 0;
  for (const auto& e : parsed.errors) {
    fuzz::require(e.line > last && e.line <= lines, "errors name lines in order");
    fuzz::require(!e.text.empty() && e.text.size() < 1500, "error texts are short");
    last = e.line;
  }
  last = 0;
  for (const auto& l : parsed.lines) {
    fuzz::require(l.line > last && l.line <= lines, "parsed lines keep their order");
    last = l.line;
    fuzz::require(l.spec != nullptr, "a parsed line names its command");
    // Positional words written "[CUTOFF]" may be left out, the others not.
    const auto required = static_cast<std::size_t>(std::count_if(
        l.spec->arguments.begin(), l.spec->arguments.end(), [](std::string_view a) { return !a.starts_with('['); }));
    fuzz::require(l.arguments.size() >= required && l.arguments.size() <= l.spec->arguments.size(),
                  "all arguments are there");
    for (const auto& a : l.arguments) fuzz::require(!a.empty() && !hasControl(a), "arguments are clean");
    for (const auto& answer : l.answers) {
      fuzz::require(std::any_of(l.spec->keys.begin(), l.spec->keys.end(),
                                [&](const AnswerKey& k) { return k.name == answer.first; }),
                    "answers are the command's own");
      fuzz::require(!hasControl(answer.second), "answers are clean");
    }
    fuzz::require(std::none_of(parsed.errors.begin(), parsed.errors.end(),
                               [&](const ParseError& e) { return e.line == l.line; }),
                  "a line is parsed or refused, not both");
  }
  return 0;
}
