#include <cstdio>
#include <new>

#include "batch/BatchMain.h"
#include "commands/FileIO.h"

int main(int argc, char** argv) {
  // A save beyond the file size limit fails with its reason instead of
  // ending the run; a run ended by a signal leaves no temporary file.
  volmar::installSaveSignalHandlers();
  // Commands report their own allocation failures; this catches one while
  // the script is read or parsed.
  try {
    return volmar::batch::batchMain(argc, argv, stdin, stdout, stderr);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "volmar-batch: not enough memory; the run was stopped\n");
    return volmar::batch::ExitCommandFailed;
  }
}
