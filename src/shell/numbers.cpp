#include "shell/numbers.hpp"

namespace rovanel {

std::string quoted(std::string_view text) {
  constexpr int kMostCharacters = 40;
  std::string out = "'";
  int characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool continuation = (byte & 0xC0) == 0x80;
    if (!continuation && characters++ == kMostCharacters) {
      out += "\xE2\x80\xA6";  // …
      break;
    }
    if (byte < 0x20 || byte == 0x7F) {
      constexpr const char* kHex = "0123456789ABCDEF";
      out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
    } else {
      out += text[i];
    }
  }
  return out + "'";
}

}  // namespace rovanel
