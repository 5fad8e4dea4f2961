#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("tambril-cli 1.1");
    return 0;
  }
  std::puts("usage: tambril-cli encode|check|decode [--password-stdin] FILE [TARGET]");
  return argc >= 2 && std::strcmp(argv[1], "--help") == 0 ? 0 : 2;
}
