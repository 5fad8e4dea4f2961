#include "cli/commands.h"

int main(int argc, char** argv) { return tambril::cli::Main(argc, argv); }
