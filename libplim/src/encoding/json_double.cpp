#include <charconv>
#include <cmath>
#include <cstring>

#include "libplim/src/encoding/json_writer.hpp"

namespace plim::encoding {

std::size_t format_json_double(double value, char* text) {
  if (!std::isfinite(value)) {
    std::memcpy(text, "null", 4);
    return 4;
  }
  char* out = text;
  if (std::signbit(value)) *out++ = '-';
  if (value == 0.0) {
    std::memcpy(out, "0.0", 3);
    return static_cast<std::size_t>(out - text) + 3;
  }
  // The shortest round-trip digits come from the scientific form
  // "d[.ddd]e±x"; they are laid out again below.
  char scientific[kJsonDoubleMaxLength];
  char* sci_end = std::to_chars(scientific, scientific + sizeof scientific, std::fabs(value),
                                std::chars_format::scientific)
                      .ptr;
  char digits[17];
  int count = 0;
  const char* p = scientific;
  for (; *p != 'e'; ++p) {
    if (*p != '.') digits[count++] = *p;
  }
  int exponent = 0;
  std::from_chars(p + (p[1] == '+' ? 2 : 1), sci_end, exponent);
  const int kk = exponent + 1;  // 10^(kk-1) <= |x| < 10^kk

  if (count <= kk && kk <= 16) {
    std::memcpy(out, digits, count);
    out += count;
    std::memset(out, '0', kk - count);
    out += kk - count;
    std::memcpy(out, ".0", 2);
    out += 2;
  } else if (0 < kk && kk <= 16) {
    std::memcpy(out, digits, kk);
    out += kk;
    *out++ = '.';
    std::memcpy(out, digits + kk, count - kk);
    out += count - kk;
  } else if (-5 < kk && kk <= 0) {
    *out++ = '0';
    *out++ = '.';
    std::memset(out, '0', -kk);
    out += -kk;
    std::memcpy(out, digits, count);
    out += count;
  } else {
    *out++ = digits[0];
    if (count > 1) {
      *out++ = '.';
      std::memcpy(out, digits + 1, count - 1);
      out += count - 1;
    }
    *out++ = 'e';
    out = std::to_chars(out, out + 5, kk - 1).ptr;
  }
  return static_cast<std::size_t>(out - text);
}

}  // namespace plim::encoding
