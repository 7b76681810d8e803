#include "batch/Script.h"

#include <algorithm>

#include "core/NumberReader.h"

namespace volmar::batch {

std::string ScriptLine::answer(std::string_view key, std::string_view fallback) const {
  const auto it = answers.find(key);
  return it != answers.end() ? it->second : std::string(fallback);
}

namespace {

struct Word {
  std::string text;
  // For key=value words: the length of the key; the value follows the '='.
  std::optional<std::size_t> keyLength;
};

bool isKeyName(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// Splits one line into words; an error text for an unterminated quote.
std::optional<std::string> splitWords(std::string_view line, std::vector<Word>& words) {
  std::size_t i = 0;
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (true) {
    while (i < line.size() && blank(line[i])) ++i;
    if (i >= line.size() || line[i] == '#') return std::nullopt;
    Word w;
    bool quoted = false;
    std::optional<std::size_t> eq;
    while (i < line.size() && !blank(line[i])) {
      if (line[i] == '"') {
        const std::size_t close = line.find('"', i + 1);
        if (close == std::string_view::npos) return "a closing '\"' is missing";
        w.text.append(line.substr(i + 1, close - i - 1));
        quoted = true;
        i = close + 1;
        continue;
      }
      if (line[i] == '=' && !quoted && !eq) eq = w.text.size();
      w.text.push_back(line[i]);
      ++i;
    }
    // Only an unquoted lowercase name before the '=' makes an answer, so a
    // quoted file name may hold '=' freely.
    if (eq && isKeyName(std::string_view(w.text).substr(0, *eq))) w.keyLength = eq;
    words.push_back(std::move(w));
  }
}

// A control character in a line (other than the tab between words and the
// carriage return of a CR LF line end): it would cut a file name short or
// hide in a word.
std::optional<std::string> controlCharacterIn(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  for (std::size_t k = 0; k < line.size(); ++k) {
    const auto c = static_cast<unsigned char>(line[k]);
    if ((c < 32 && c != '\t') || c == 127) {
      static const char* hex = "0123456789ABCDEF";
      return std::string("the line holds the control character 0x") + hex[c >> 4] + hex[c & 15] +
             " at column " + std::to_string(k + 1) + "; script lines cannot hold control characters";
    }
  }
  return std::nullopt;
}

std::vector<std::string_view> phraseWords(std::string_view phrase) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < phrase.size()) {
    const std::size_t sp = phrase.find(' ', i);
    const std::size_t end = sp == std::string_view::npos ? phrase.size() : sp;
    out.push_back(phrase.substr(i, end - i));
    i = end + 1;
  }
  return out;
}

std::string joinQuoted(const std::vector<std::string>& items, std::string_view sep) {
  std::string out;
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (k > 0) out += k + 1 == items.size() ? " or " : std::string(sep);
    out += "'" + items[k] + "'";
  }
  return out;
}

// The command the leading words name; the number of words it took.
const CommandSpec* matchCommand(const std::vector<Word>& words, std::span<const CommandSpec> table,
                                std::size_t& taken, std::string& error) {
  const CommandSpec* best = nullptr;
  std::size_t bestLength = 0;
  for (const auto& spec : table) {
    const auto pw = phraseWords(spec.phrase);
    if (pw.size() > words.size() || pw.size() <= bestLength) continue;
    bool match = true;
    for (std::size_t k = 0; k < pw.size() && match; ++k)
      match = !words[k].keyLength && words[k].text == pw[k];
    if (match) {
      best = &spec;
      bestLength = pw.size();
    }
  }
  if (best) {
    taken = bestLength;
    return best;
  }
  // Say what could have stood there.
  std::vector<std::string> alternatives;
  std::vector<std::string> firstWords;
  for (const auto& spec : table) {
    const std::string first(phraseWords(spec.phrase)[0]);
    if (first == words[0].text) alternatives.emplace_back(spec.phrase);
    if (std::find(firstWords.begin(), firstWords.end(), first) == firstWords.end())
      firstWords.push_back(first);
  }
  if (!alternatives.empty()) {
    error = quoteToken(words[0].text) + " must be followed by what to do: expected " +
            joinQuoted(alternatives, ", ");
  } else {
    error = "unknown command " + quoteToken(words[0].text) + "; expected one of " +
            joinQuoted(firstWords, ", ");
  }
  return nullptr;
}

std::optional<std::string> checkValue(const AnswerKey& key, const std::string& rawValue) {
  const std::string name(key.name);
  // Messages quote a long value only in part.
  const std::string value = rawValue.size() > QuotedTokenLength ? quoteToken(rawValue) : rawValue;
  switch (key.kind) {
    // Only the form is checked: a number too large for the entry is the
    // dialog's to refuse, with the words it uses for every entry.
    case ValueKind::Integer:
      if (!isIntegerEntry(rawValue)) return name + "=" + value + ": expected an integer";
      return std::nullopt;
    case ValueKind::Real:
      if (!isRealEntry(rawValue)) return name + "=" + value + ": expected a number (with '.' as the decimal point)";
      return std::nullopt;
    case ValueKind::Choice: {
      if (std::find(key.choices.begin(), key.choices.end(), rawValue) != key.choices.end())
        return std::nullopt;
      std::vector<std::string> c(key.choices.begin(), key.choices.end());
      return name + "=" + value + ": expected " + joinQuoted(c, ", ");
    }
    case ValueKind::Text:
      if (rawValue.empty()) return name + "= needs a value";
      return std::nullopt;
  }
  return std::nullopt;
}

// Positional words written "[FILE]" may be left out; the others may not.
std::size_t requiredArguments(const CommandSpec& spec) {
  return static_cast<std::size_t>(std::count_if(spec.arguments.begin(), spec.arguments.end(),
                                                [](std::string_view a) { return !a.starts_with('['); }));
}

std::optional<std::string> parseLine(const std::vector<Word>& words, std::span<const CommandSpec> table,
                                     ScriptLine& out) {
  if (words[0].keyLength) return "a line must start with a command, not the answer " + quoteToken(words[0].text);
  std::size_t taken = 0;
  std::string error;
  out.spec = matchCommand(words, table, taken, error);
  if (!out.spec) return error;
  const CommandSpec& spec = *out.spec;
  const std::string name(spec.phrase);
  for (std::size_t k = taken; k < words.size(); ++k) {
    const Word& w = words[k];
    if (!w.keyLength) {
      // A last positional word written "FILE..." takes every further word.
      const bool repeated = !spec.arguments.empty() && spec.arguments.back().ends_with("...");
      if (out.arguments.size() >= spec.arguments.size() && !repeated)
        return "unexpected " + quoteToken(w.text) + "; expected " + usageOf(spec);
      const std::size_t position = std::min(out.arguments.size(), spec.arguments.size() - 1);
      if (w.text.empty()) return "'" + name + "' needs a non-empty " + std::string(spec.arguments[position]);
      out.arguments.push_back(w.text);
      continue;
    }
    const std::string key = w.text.substr(0, *w.keyLength);
    const std::string value = w.text.substr(*w.keyLength + 1);
    const auto it = std::find_if(spec.keys.begin(), spec.keys.end(),
                                 [&](const AnswerKey& a) { return a.name == key; });
    if (it == spec.keys.end()) {
      if (spec.keys.empty()) return "'" + name + "' takes no answers, but '" + key + "=' was given";
      std::vector<std::string> names;
      for (const auto& a : spec.keys) names.push_back(std::string(a.name) + "=");
      return "unknown answer '" + key + "=' for '" + name + "'; expected " + joinQuoted(names, ", ");
    }
    if (out.has(key)) return "'" + key + "=' is given twice";
    if (auto bad = checkValue(*it, value)) return *bad;
    out.answers.emplace(key, value);
  }
  if (out.arguments.size() < requiredArguments(spec))
    return "'" + name + "' needs " + std::string(spec.arguments[out.arguments.size()]) + "; expected " +
           usageOf(spec);
  if (spec.check) return spec.check(out);
  return std::nullopt;
}

}  // namespace

std::string usageOf(const CommandSpec& spec) {
  std::string u(spec.phrase);
  for (auto a : spec.arguments) u += " " + std::string(a);
  for (const auto& k : spec.keys) {
    std::string value;
    switch (k.kind) {
      case ValueKind::Integer:
        value = "N";
        break;
      case ValueKind::Real:
        value = "X";
        break;
      case ValueKind::Text:
        value = "FILE";
        break;
      case ValueKind::Choice:
        for (auto c : k.choices) value += (value.empty() ? "" : "|") + std::string(c);
        break;
    }
    u += " [" + std::string(k.name) + "=" + value + "]";
  }
  return u;
}

ParsedScript parseScript(std::string_view text, std::span<const CommandSpec> table) {
  ParsedScript result;
  int number = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    ++number;
    const std::size_t nl = text.find('\n', pos);
    const std::size_t end = nl == std::string_view::npos ? text.size() : nl;
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (auto bad = controlCharacterIn(line)) {
      result.errors.push_back({number, *bad});
      continue;
    }
    std::vector<Word> words;
    if (auto bad = splitWords(line, words)) {
      result.errors.push_back({number, *bad});
      continue;
    }
    if (words.empty()) continue;
    ScriptLine parsed;
    parsed.line = number;
    if (auto bad = parseLine(words, table, parsed)) {
      result.errors.push_back({number, *bad});
      continue;
    }
    result.lines.push_back(std::move(parsed));
  }
  return result;
}

}  // namespace volmar::batch
