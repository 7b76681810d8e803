#pragma once

#include <cstdio>

namespace volmar::batch {

// Exit statuses of volmar-batch.
inline constexpr int ExitOk = 0;
inline constexpr int ExitCommandFailed = 1;  // a command ended with an error
inline constexpr int ExitUsage = 2;          // bad arguments or a script that cannot be parsed

// The whole program: arguments, script, run. The script "-" is read from `in`.
int batchMain(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace volmar::batch
