// The one reading of an unsigned decimal text that the system accepts in
// more than one place (gate-count keys in JSON, the numbers of a plug-in's
// argument text): an optional '+', then one or more digits (leading zeros
// allowed), with a value below 2^64.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace plim {

inline std::optional<uint64_t> parse_unsigned_decimal(std::string_view text) noexcept {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace plim
