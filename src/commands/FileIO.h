#pragma once

#include <cstddef>
#include <functional>
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

// A save that must not replace found a file (or another node) of that name:
// another program may have made it since the name was chosen. what() is
// "<name> exists and was not replaced".
class FileExistsError : public FileWriteError {
 public:
  explicit FileExistsError(const std::string& path);
};

// Writes a file so that it is either completely written or not touched:
// the text goes to a temporary file in the target's folder (a short name of
// its own, ".volmar-XXXXXX", so that every name the system takes can be
// saved), which then takes the target's name in one rename. A replaced
// file's mode is kept, and so are its owner and group, its extended
// attributes and its access control list as far as the user may set them;
// other hard links to it keep the old contents. A character device or a
// pipe (FIFO) is not replaced but written into, as shell redirection does;
// a pipe that no program reads from is refused at once instead of waiting.
// A symbolic link is followed: the file it names gets the new contents.
// Throws FileWriteError with the reason on failure; an existing file of
// that name then stays as it was, and no temporary file is left.
void writeFileReplacing(const std::string& path, const std::string& contents);

// The same for a name that must not be replaced: the file is created under
// that name in one step that fails if anything of that name exists, however
// recently it appeared. Throws FileExistsError then, with nothing written.
void writeNewFile(const std::string& path, const std::string& contents);

bool fileExists(const std::string& path);

// Checks, before a long computation, that a file of this name can be
// written: a file is created in its folder and removed again; the target
// itself is not touched (a device or a pipe is only checked for
// permission). Throws FileWriteError with the reason, as writeFileReplacing
// would.
void checkFileWritable(const std::string& path);

// Makes the program's saves safe against signals, once at start-up: a file
// too large for the size limit (ulimit -f) fails its write with "File too
// large" instead of ending the program, and an interrupt or termination
// (SIGINT, SIGTERM, SIGHUP) during a save removes the temporary file before
// the program ends as the signal says. A signal the program was started to
// ignore stays ignored.
void installSaveSignalHandlers();

// For tests: called in every save once the temporary file is complete,
// just before it takes the target's name (with the target's path); empty
// for none. Lets a test make another program's file appear at that moment.
void setBeforePlacingHook(std::function<void(const std::string& target)> hook);

// Absolute form of a path, for messages that name a file.
std::string fullFileName(const std::string& path);

}  // namespace volmar
