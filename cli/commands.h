#pragma once
// tambril-cli: encode, check and decode files from the command line, and show
// a file's text as the viewer does.

#include <string>
#include <vector>

#include "cli/exit_codes.h"

namespace tambril::cli {

// Runs one command line (the program's name first).
int Run(std::vector<std::string> args);

// The program: started as StartProgram says (cli/system.h), no failure ends
// it by an exception, and a failed write of standard output is a file error.
int Main(int argc, char** argv);

}  // namespace tambril::cli
