#pragma once

#include <string>

namespace volmar {

// Reads a whole file. Throws CommandError with the reason when the file
// cannot be opened or read.
std::string readTextFile(const std::string& path);

// Writes a file so that it is either completely written or not touched:
// the text goes to a temporary file beside the target, which then replaces
// the target in one rename. Throws CommandError with the reason on failure;
// an existing file of that name then stays as it was.
void writeFileReplacing(const std::string& path, const std::string& contents);

bool fileExists(const std::string& path);

// Checks, before a long computation, that a file of this name can be
// written: a file is created beside it and removed again; the target itself
// is not touched. Throws CommandError with the reason, as
// writeFileReplacing would.
void checkFileWritable(const std::string& path);

// Absolute form of a path, for messages that name a file.
std::string fullFileName(const std::string& path);

}  // namespace volmar
