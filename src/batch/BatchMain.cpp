#include "batch/BatchMain.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "batch/CommandTable.h"
#include "batch/Session.h"
#include "commands/FileIO.h"
#include "core/Parallel.h"
#include "core/Random.h"

namespace volmar::batch {

namespace {

constexpr const char* Usage = "usage: volmar-batch [--seed N] [--threads N] [--status] SCRIPT   (SCRIPT '-' reads standard input)";

void printHelp(std::FILE* out) {
  std::fprintf(out,
               "%s\n\n"
               "Runs the menu commands of Volmar from a script, one command a line; '#' starts\n"
               "a comment. Dialog answers are key=value words; an answer left out takes the\n"
               "dialog's own default. Output lines go to standard output; messages, questions\n"
               "and input boxes to standard error.\n\n"
               "Commands:\n",
               Usage);
  for (const auto& spec : commandTable()) {
    std::string line = "  " + usageOf(spec);
    if (!spec.menuPath.empty()) line += "\n      " + std::string(spec.menuPath);
    std::fprintf(out, "%s\n", line.c_str());
  }
  std::fprintf(out,
               "\nOptions:\n"
               "  --seed N   seed the random generator deterministically: the k-th seed the\n"
               "             run asks for (k = 0, 1, ...) is N + k modulo 2^32\n"
               "  --threads N  use N threads for the units of a training run (numbers of\n"
               "             prototypes, replications), the sums of distances, the\n"
               "             classification, refine and subtractive clustering (default:\n"
               "             one per core; 1 runs on one thread); the results are the same\n"
               "             for every N\n"
               // Stability by bootstrap.
               "             the fits of a stability study also run on N threads\n"
               "  --status   also print every change of the status line\n"
               "  --version  print the version and end\n\n"
               "Exit status: 0 all commands ran, 1 a command ended with an error (the rest\n"
               "were not run) or memory ran out, 2 bad arguments or a script that cannot be\n"
               "read or parsed.\n");
}

std::optional<std::uint32_t> parseSeed(std::string_view text) {
  std::uint64_t v = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || ptr != end || text.empty() || v > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<std::uint32_t>(v);
}

// Far more than any script needs; a runaway input (a device, an endless
// pipe) stops here instead of filling the memory.
constexpr std::size_t MaxScriptBytes = std::size_t{16} << 20;

std::optional<std::string> readAll(std::FILE* in, std::string& why) {
  std::string text;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) {
    if (text.size() + n > MaxScriptBytes) {
      why = "File too large: more than " + std::to_string(MaxScriptBytes >> 20) + " MB";
      return std::nullopt;
    }
    text.append(buf, n);
  }
  if (std::ferror(in)) {
    why = std::strerror(errno);
    return std::nullopt;
  }
  return text;
}

struct Options {
  std::optional<std::uint32_t> seed;
  int threads = 0;  // 0: one per core
  bool status = false;
  std::string script;
};

}  // namespace

int batchMain(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  const auto usageError = [&](const std::string& text) {
    std::fprintf(err, "volmar-batch: %s\n%s\n", text.c_str(), Usage);
    return ExitUsage;
  };

  Options opt;
  bool haveScript = false;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    // The value of "NAME VALUE" or "NAME=VALUE"; none when VALUE is missing.
    auto optionValue = [&](std::string_view name) -> std::optional<std::string_view> {
      if (arg.size() > name.size()) return arg.substr(name.size() + 1);
      if (i + 1 >= argc) return std::nullopt;
      return std::string_view(argv[++i]);
    };
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
      printHelp(out);
      return ExitOk;
    } else if (!optionsEnded && arg == "--version") {
      std::fprintf(out, "volmar-batch %s\n", VOLMAR_VERSION);
      return ExitOk;
    } else if (!optionsEnded && arg == "--status") {
      opt.status = true;
    } else if (!optionsEnded && (arg == "--seed" || arg.starts_with("--seed="))) {
      const auto value = optionValue("--seed");
      if (!value) return usageError("--seed needs a number");
      opt.seed = parseSeed(*value);
      if (!opt.seed) return usageError("--seed " + std::string(*value) + ": expected a whole number from 0 to 4294967295");
    } else if (!optionsEnded && (arg == "--threads" || arg.starts_with("--threads="))) {
      const auto value = optionValue("--threads");
      if (!value) return usageError("--threads needs a number");
      const auto n = parseSeed(*value);
      if (!n || *n < 1 || *n > 1024)
        return usageError("--threads " + std::string(*value) + ": expected a whole number from 1 to 1024");
      opt.threads = static_cast<int>(*n);
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      return usageError("unknown option " + std::string(arg));
    } else if (haveScript) {
      return usageError("only one SCRIPT can be given (" + std::string(arg) + " is a second one)");
    } else {
      opt.script = arg;
      haveScript = true;
    }
  }
  if (!haveScript) return usageError("no SCRIPT given");

  std::optional<std::string> text;
  std::string name = opt.script;
  std::string why;
  if (opt.script == "-") {
    name = "<stdin>";
    text = readAll(in, why);
  } else {
    // Only a regular file is a script: a folder, a device or a FIFO is
    // refused before anything is read from it.
    try {
      text = readTextFile(opt.script, MaxScriptBytes);
    } catch (const FileReadError& e) {
      why = e.reason();
    }
  }
  if (!text) return usageError("cannot read the script " + name + ": " + why);

  const ParsedScript parsed = parseScript(*text, commandTable());
  if (!parsed.errors.empty()) {
    for (const auto& e : parsed.errors)
      std::fprintf(err, "volmar-batch: %s:%d: %s\n", name.c_str(), e.line, e.text.c_str());
    std::fprintf(err, "volmar-batch: nothing was run\n");
    return ExitUsage;
  }

  SetEngineThreads(opt.threads);
  Session session(out, err, opt.status, name);
  // The desktop program seeds from the clock; a fixed source makes runs repeatable.
  if (opt.seed) session.ws().Rng.setSeedSource(std::make_unique<FixedSeedSource>(*opt.seed));
  int status = session.runScript(parsed.lines);
  if (std::fflush(out) != 0 || !session.shell().outputOk()) {
    std::fprintf(err, "volmar-batch: standard output could not be written completely\n");
    status = ExitCommandFailed;
  }
  return status;
}

}  // namespace volmar::batch
