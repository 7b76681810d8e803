#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace volmar::io {

// The reader process failed: it could not start, ended with an error,
// crashed, ran out of memory or time. what() is the whole message.
class SurveyReaderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How long and how much memory the reader process may take.
struct ReaderLimits {
  int seconds = 60;
  std::size_t memoryBytes = std::size_t{2} << 30;
};

// The reader program: set by the program (or a test); by default
// volmar-survey-reader beside the running program, else where the build
// made it.
void setSurveyReaderProgram(std::string path);
std::string surveyReaderProgram();

// Runs the reader with these arguments under the limits and hands its
// standard output to `onOutput` piece by piece as it comes. Returns when it
// ended with status 0; throws SurveyReaderError otherwise (and when
// `onOutput` throws, the reader is stopped and the error passed on).
// `what` names the file in messages.
void runSurveyReader(const std::vector<std::string>& args, const std::string& what,
                     const std::function<void(std::string_view)>& onOutput);

// The limits every run takes; a test may lower them.
void setSurveyReaderLimits(const ReaderLimits& limits);

}  // namespace volmar::io
