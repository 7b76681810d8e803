#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// The input of a fuzz target: a few leading bytes choose the settings, the
// rest is the text under test.
namespace volmar::fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size)
      : text_(reinterpret_cast<const char*>(data), size) {}

  // A number from lo to hi taken from the next byte (lo when none is left).
  int pick(int lo, int hi) {
    if (text_.empty()) return lo;
    const auto b = static_cast<unsigned char>(text_.front());
    text_.remove_prefix(1);
    return lo + static_cast<int>(b % static_cast<unsigned>(hi - lo + 1));
  }
  // What is left.
  std::string_view rest() const { return text_; }

 private:
  std::string_view text_;
};

// A property that does not hold: abort, so that the fuzzer keeps the input.
[[noreturn]] inline void fail(const char* what) {
  // stderr is not buffered: the text is out before abort() ends the run.
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

inline void require(bool ok, const char* what) {
  if (!ok) fail(what);
}

}  // namespace volmar::fuzz
