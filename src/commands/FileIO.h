#pragma once

#include <cstddef>
#include <string>

#include "commands/Context.h"

namespace volmar {

// The most a data, subsample or prototypes file may hold. The largest valid
// data file (30000 cases of 100 numbers) takes some 30 to 60 MB; this leaves
// room for long numbers and wide spacing, and keeps a runaway file from
// taking the machine's memory.
inline constexpr std::size_t MaxInputFileBytes = std::size_t{512} << 20;

// A file that could not be read: what() is the whole message, reason() the
// system's words for why.
class FileReadError : public CommandError {
 public:
  FileReadError(const std::string& message, std::string reason)
      : CommandError(message), reason_(std::move(reason)) {}
  const std::string& reason() const { return reason_; }

 private:
  std::string reason_;
};

// A file that could not be written: what() names the file and gives the
// system's reason ("Cannot write file \"...\": No space left on device").
class FileWriteError : public CommandError {
 public:
  using CommandError::CommandError;
};

// Reads a whole regular file of at most `limit` bytes. Folders, devices,
// pipes and sockets are refused without reading from them, and so is a
// file longer than the limit. Throws FileReadError with the reason when the
// file cannot be opened or read.
std::string readTextFile(const std::string& path, std::size_t limit = MaxInputFileBytes);

// Writes a file so that it is either completely written or not touched:
// the text goes to a temporary file beside the target, which then replaces
// the target in one rename. Throws FileWriteError with the reason on failure;
// an existing file of that name then stays as it was.
void writeFileReplacing(const std::string& path, const std::string& contents);

bool fileExists(const std::string& path);

// Checks, before a long computation, that a file of this name can be
// written: a file is created beside it and removed again; the target itself
// is not touched. Throws FileWriteError with the reason, as
// writeFileReplacing would.
void checkFileWritable(const std::string& path);

// Absolute form of a path, for messages that name a file.
std::string fullFileName(const std::string& path);

}  // namespace volmar
