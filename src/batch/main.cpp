#include <cstdio>

#include "batch/BatchMain.h"

int main(int argc, char** argv) { return volmar::batch::batchMain(argc, argv, stdin, stdout, stderr); }
