#pragma once
// tambril-cli: encode, check and decode files from the command line, and show
// a file's text as the viewer does.

#include "cli/exit_codes.h"

namespace tambril::cli {

// Runs one command line.
int Run(int argc, char** argv);

// The program: descriptors 0 to 2 that are closed are opened on /dev/null
// first (so that no file opened later takes their place), no failure ends it
// by an exception, and a failed write of standard output is a file error.
int Main(int argc, char** argv);

}  // namespace tambril::cli
