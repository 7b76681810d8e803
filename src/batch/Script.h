#pragma once

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "commands/MenuItem.h"

namespace volmar::batch {

class Session;
struct ScriptLine;

// What the value of a key=value answer must look like. The form is checked
// when the script is read; ranges are left to the dialog logic, which says
// what is wrong the way it does in the desktop program.
enum class ValueKind {
  Integer,  // the integer grammar of a dialog entry
  Real,     // the real-number grammar of a dialog entry
  Choice,   // one of the listed words
  Text,     // any non-empty text (a file name)
};

struct AnswerKey {
  std::string_view name;
  ValueKind kind = ValueKind::Text;
  std::vector<std::string_view> choices = {};
};

// Runs one script line; false when the command ended with an error (which
// the handler or the command has reported).
using Handler = bool (*)(Session&, const ScriptLine&);
// Checks answers that depend on each other; the text of the first problem.
using Check = std::optional<std::string> (*)(const ScriptLine&);

// One batch command: the words that name it, what follows them, the menu
// command it stands for and how it runs.
struct CommandSpec {
  std::string_view phrase;                   // "open", "save prototypes"
  std::vector<std::string_view> arguments;   // positional words: "FILE"; a last "FILE..." takes one or more
  std::vector<AnswerKey> keys;               // key=value answers, all optional
  MenuItem item;                             // MenuItem::Count_: no menu command
  MenuItem submenu;                          // enclosing submenu, or MenuItem::Count_
  std::string_view menuPath;                 // "Analysis > Train", for messages
  Handler handler;
  Check check = nullptr;
};

// A parsed line of the script.
struct ScriptLine {
  int line = 0;
  const CommandSpec* spec = nullptr;
  std::vector<std::string> arguments;
  std::map<std::string, std::string, std::less<>> answers;

  bool has(std::string_view key) const { return answers.find(key) != answers.end(); }
  // The answer's text, or the fallback when it was left out.
  std::string answer(std::string_view key, std::string_view fallback = {}) const;
};

struct ParseError {
  int line;
  std::string text;
};

struct ParsedScript {
  std::vector<ScriptLine> lines;
  std::vector<ParseError> errors;  // empty when the whole script is sound
};

// Reads a whole script against the command table. Every line is checked, so
// that all errors are known before anything runs.
//
// Lines: words separated by blanks or tabs; a word that starts with '#'
// starts a comment to the end of the line; a word, or the value of an
// answer, may be put in double quotes to hold blanks or a leading '#'.
// The first words name the command, the following ones are its arguments
// and key=value answers in any order.
ParsedScript parseScript(std::string_view text, std::span<const CommandSpec> table);

// "open FILE [cases=N] ... [kind=none|kblocks|ksamples]"
std::string usageOf(const CommandSpec& spec);

}  // namespace volmar::batch
