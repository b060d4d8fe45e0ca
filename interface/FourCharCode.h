// Four-character codes as the host interface uses them: the first character
// in the most significant byte.
#pragma once

#include <cstdint>

constexpr uint32_t FourCharCode(const char (&code)[5]) {
  return uint32_t(uint8_t(code[0])) << 24 | uint32_t(uint8_t(code[1])) << 16 | uint32_t(uint8_t(code[2])) << 8 |
         uint32_t(uint8_t(code[3]));
}
