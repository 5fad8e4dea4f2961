// A small program over the codec alone, for checking that a file coded on
// one system decodes byte for byte on another:
//   tmb_tool encode PASSWORD SOURCE TARGET
//   tmb_tool decode PASSWORD SOURCE TARGET     (exit 1: wrong password)
#include <cstdio>
#include <string_view>

#include "codec/codec.h"

int main(int argc, char** argv) {
  using namespace tambril::codec;
  if (argc != 5) {
    std::fputs("usage: tmb_tool encode|decode PASSWORD SOURCE TARGET\n", stderr);
    return 2;
  }
  const std::string_view command = argv[1];
  try {
    if (command == "encode") {
      Encode(argv[3], argv[4], argv[2], "bin");
      return 0;
    }
    if (command == "decode") {
      const CheckResult check = CheckPassword(argv[3], argv[2]);
      if (!check.fits()) return 1;
      Decode(argv[3], argv[4], check);
      return 0;
    }
  } catch (const CodecError& e) {
    std::fprintf(stderr, "tmb_tool: %s\n", e.what());
    return 3;
  }
  return 2;
}
