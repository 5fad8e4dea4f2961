#pragma once
// The armored form of an age file: its bytes in base64 with padding, in
// lines of 64 columns (the last one 64 or fewer), between
// "-----BEGIN AGE ENCRYPTED FILE-----" and "-----END AGE ENCRYPTED FILE-----".
// Whitespace is allowed only before and after the block; lines end in "\n"
// or "\r\n"; anything else is Malformed.
#include <cstdint>
#include <string>
#include <string_view>

#include "age/bytes.h"

namespace tambril::age {

constexpr std::string_view kArmorBegin = "-----BEGIN AGE ENCRYPTED FILE-----";
constexpr std::string_view kArmorEnd = "-----END AGE ENCRYPTED FILE-----";

// The bytes the armor of `in` stands for, decoded line by line as they are
// read. The end comes only after the closing line and the whitespace after
// it have been read to the end of the file: whatever else follows is
// Malformed.
class ArmorBytes : public Bytes {
 public:
  explicit ArmorBytes(Input& in) : in_(in) {}
  std::size_t read(std::uint8_t* to, std::size_t n) override;

 private:
  // Decodes the next body line into `decoded_`; false after the last one.
  bool nextLine();
  Input& in_;
  bool begun_ = false, ended_ = false;
  bool lastLine_ = false;  // the line decoded last was shorter than 64 or padded
  std::string line_;
  std::string decoded_;
  std::size_t at_ = 0;
};

}  // namespace tambril::age
