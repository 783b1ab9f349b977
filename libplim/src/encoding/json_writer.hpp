// Primitive writers of the compact JSON form: each appends one token straight
// to the output buffer, with no white space and no temporary strings.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "libplim/src/byte_buffer.hpp"

namespace plim::encoding {

inline void write_json_raw(std::string_view text, ByteBuffer& out) { out.append(text); }

inline void write_json_u64(uint64_t value, ByteBuffer& out) {
  char digits[20];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, static_cast<std::size_t>(end - digits));
}

inline void write_json_i64(int64_t value, ByteBuffer& out) {
  char digits[20];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, static_cast<std::size_t>(end - digits));
}

inline void write_json_bool(bool value, ByteBuffer& out) {
  write_json_raw(value ? std::string_view("true") : std::string_view("false"), out);
}

// The longest text the double rule produces: sign, 17 digits, the point,
// "e-" and three exponent digits, or "0." and four zeros before 17 digits.
inline constexpr std::size_t kJsonDoubleMaxLength = 32;

// Writes a double in its shortest round-trip form ("1.0", "1e16", "-0.0");
// NaN and both infinities as null. Returns the length; `text` must hold
// kJsonDoubleMaxLength bytes.
std::size_t format_json_double(double value, char* text);

inline void write_json_double(double value, ByteBuffer& out) {
  char text[kJsonDoubleMaxLength];
  out.append(text, format_json_double(value, text));
}

// A JSON string: quotes around the bytes, with quote, backslash and control
// bytes escaped; every other byte, UTF-8 sequences included, as it stands.
void write_json_string(std::string_view text, ByteBuffer& out);

// `[`, each element by `write`, separated by `,`, then `]`.
template <class Range, class Write>
void write_json_array(const Range& range, ByteBuffer& out, Write&& write) {
  out.push_back('[');
  bool first = true;
  for (const auto& element : range) {
    if (!first) out.push_back(',');
    first = false;
    write(element, out);
  }
  out.push_back(']');
}

inline void write_json_u64_array(const auto& values, ByteBuffer& out) {
  write_json_array(values, out, [](uint64_t value, ByteBuffer& o) { write_json_u64(value, o); });
}

inline void write_json_double_array(const auto& values, ByteBuffer& out) {
  write_json_array(values, out, [](double value, ByteBuffer& o) { write_json_double(value, o); });
}

}  // namespace plim::encoding
