#include "libplim/src/encoding/json_reader.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "libplim/src/encoding/json_writer.hpp"
#include "libplim/src/encoding/utf8.hpp"

namespace plim::encoding {

namespace {

bool is_digit(uint8_t c) { return c >= '0' && c <= '9'; }

// Bytes that end the plain run of a string: the quote, the backslash,
// control bytes and the lead bytes of multi-byte UTF-8 sequences.
constexpr std::array<bool, 256> make_string_stops() {
  std::array<bool, 256> stops{};
  for (int byte = 0; byte != 256; ++byte) stops[byte] = byte < 0x20 || byte >= 0x80;
  stops['"'] = true;
  stops['\\'] = true;
  return stops;
}
constexpr std::array<bool, 256> kStringStop = make_string_stops();

std::string_view view_of(const uint8_t* first, const uint8_t* last) {
  return {reinterpret_cast<const char*>(first), static_cast<std::size_t>(last - first)};
}

int hex_value(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void append_utf8(uint32_t code_point, std::string& out) {
  if (code_point < 0x80) {
    out.push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

// Whether a decimal number that does not fit a double is too large rather
// than too small: the position of its first significant digit against the
// point, moved by its exponent.
bool magnitude_too_large(std::string_view text) {
  std::size_t i = text[0] == '-' ? 1 : 0;
  int64_t magnitude = 0;  // the power of ten just above the first significant digit
  bool significant = false;
  for (; i < text.size() && is_digit(text[i]); ++i) {
    if (text[i] != '0') significant = true;
    if (significant && magnitude < 100000) ++magnitude;
  }
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && is_digit(text[i]); ++i) {
      if (significant) continue;
      if (text[i] != '0') significant = true;
      else if (magnitude > -100000) --magnitude;
    }
  }
  int64_t exponent = 0;
  if (i < text.size()) {  // 'e' or 'E'
    bool negative = text[++i] == '-';
    if (text[i] == '-' || text[i] == '+') ++i;
    for (; i < text.size(); ++i) {
      if (exponent < 1000000000) exponent = exponent * 10 + (text[i] - '0');
    }
    if (negative) exponent = -exponent;
  }
  return magnitude + exponent > 0;
}

}  // namespace

// ------------------------------------------------------------------ errors

bool JsonReader::fail_at(const uint8_t* where, std::string_view text) {
  if (!error_.description.empty()) return false;
  std::size_t line = 1;
  const uint8_t* line_start = begin_;
  for (const uint8_t* p = begin_; p != where; ++p) {
    if (*p == '\n') {
      ++line;
      line_start = p + 1;
    }
  }
  std::string& out = error_.description;
  out.append(text);
  out.append(" at line ");
  out.append(std::to_string(line));
  out.append(" column ");
  out.append(std::to_string(where - line_start));
  return false;
}

bool JsonReader::fail(std::string_view text) { return fail_at(pos_, text); }

bool JsonReader::fail_peek(std::string_view text) {
  return fail_at(pos_ == end_ ? pos_ : pos_ + 1, text);
}

bool JsonReader::fail_invalid(std::string_view kind, std::string_view found,
                              std::string_view expected) {
  std::string text(kind);
  text.append(found);
  text.append(", expected ");
  text.append(expected);
  return fail(text);
}

std::string JsonReader::describe_number(const Number& number) const {
  switch (number.kind) {
    case Number::Kind::Unsigned:
      return "integer `" + std::to_string(number.u) + "`";
    case Number::Kind::Negative:
      return "integer `" + std::to_string(number.i) + "`";
    case Number::Kind::Double:
      break;
  }
  char text[kJsonDoubleMaxLength];
  std::size_t length = format_json_double(number.d, text);
  return "floating point `" + std::string(text, length) + "`";
}

bool JsonReader::fail_invalid_value(const Number& number, std::string_view expected) {
  return fail_invalid("invalid value: ", describe_number(number), expected);
}

bool JsonReader::fail_invalid_type(std::string_view expected) {
  switch (peek()) {
    case -1:
      return fail_peek("EOF while parsing a value");
    case 'n':
      if (!read_null()) return false;
      return fail_invalid("invalid type: ", "null", expected);
    case 't':
      ++pos_;
      if (!parse_literal("rue")) return false;
      return fail_invalid("invalid type: ", "boolean `true`", expected);
    case 'f':
      ++pos_;
      if (!parse_literal("alse")) return false;
      return fail_invalid("invalid type: ", "boolean `false`", expected);
    case '"': {
      std::string_view text;
      if (!parse_string(text)) return false;
      std::string found = "string \"";
      found.append(text);
      found.push_back('"');
      return fail_invalid("invalid type: ", found, expected);
    }
    case '[':
      return fail_invalid("invalid type: ", "sequence", expected);
    case '{':
      return fail_invalid("invalid type: ", "map", expected);
    default:
      break;
  }
  if (*pos_ == '-' || is_digit(*pos_)) {
    Number number;
    if (!parse_number(number)) return false;
    return fail_invalid("invalid type: ", describe_number(number), expected);
  }
  return fail_peek("expected value");
}

bool JsonReader::fail_invalid_length(std::size_t count, std::string_view expected) {
  return fail_invalid("invalid length ", std::to_string(count), expected);
}

bool JsonReader::fail_missing_field(std::string_view name) {
  return fail("missing field `" + std::string(name) + "`");
}

bool JsonReader::fail_duplicate_field(std::string_view name) {
  return fail("duplicate field `" + std::string(name) + "`");
}

bool JsonReader::fail_unknown_variant(std::string_view name,
                                      std::span<const std::string_view> names) {
  std::string text = "unknown variant `" + std::string(name) + "`, expected ";
  if (names.size() > 2) text.append("one of ");
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i != 0) text.append(names.size() == 2 ? " or " : ", ");
    text.append("`").append(names[i]).append("`");
  }
  return fail(text);
}

bool JsonReader::fail_unit_variant(std::string_view expected) {
  return fail_invalid("invalid type: ", "unit variant", expected);
}

// ----------------------------------------------------------------- tokens

bool JsonReader::parse_literal(std::string_view rest) {
  for (char expected : rest) {
    if (pos_ == end_) return fail("EOF while parsing a value");
    if (*pos_++ != static_cast<uint8_t>(expected)) return fail("expected ident");
  }
  return true;
}

// Consumes an optional fraction and exponent; `seen` tells whether either
// stood there.
bool JsonReader::scan_fraction_and_exponent(bool& seen) {
  auto digits = [this]() {
    if (pos_ == end_) return fail("EOF while parsing a value");
    if (!is_digit(*pos_)) return fail_peek("invalid number");
    while (pos_ != end_ && is_digit(*pos_)) ++pos_;
    return true;
  };
  seen = false;
  if (pos_ != end_ && *pos_ == '.') {
    ++pos_;
    seen = true;
    if (!digits()) return false;
  }
  if (pos_ != end_ && (*pos_ == 'e' || *pos_ == 'E')) {
    ++pos_;
    seen = true;
    if (pos_ != end_ && (*pos_ == '+' || *pos_ == '-')) ++pos_;
    if (!digits()) return false;
  }
  return true;
}

bool JsonReader::parse_number(Number& out) {
  const uint8_t* start = pos_;
  const bool negative = *pos_ == '-';
  if (negative) ++pos_;
  if (pos_ == end_) return fail("EOF while parsing a value");
  uint64_t value = 0;
  bool overflow = false;
  if (*pos_ == '0') {
    ++pos_;
    if (pos_ != end_ && is_digit(*pos_)) return fail_peek("invalid number");
  } else if (is_digit(*pos_)) {
    constexpr uint64_t kTenth = std::numeric_limits<uint64_t>::max() / 10;
    do {
      const unsigned digit = *pos_ - '0';
      if (value > kTenth || (value == kTenth && digit > 5)) overflow = true;
      else value = value * 10 + digit;
      ++pos_;
    } while (pos_ != end_ && is_digit(*pos_));
  } else {
    return fail_peek("invalid number");
  }
  bool fraction_or_exponent = false;
  if (!scan_fraction_and_exponent(fraction_or_exponent)) return false;

  constexpr uint64_t kLeastMagnitude = uint64_t{1} << 63;
  if (!fraction_or_exponent && !overflow) {
    if (!negative) {
      out.kind = Number::Kind::Unsigned;
      out.u = value;
      return true;
    }
    // -0 and negatives beyond the signed range are doubles.
    if (value != 0 && value <= kLeastMagnitude) {
      out.kind = Number::Kind::Negative;
      out.i = value == kLeastMagnitude ? std::numeric_limits<int64_t>::min()
                                       : -static_cast<int64_t>(value);
      return true;
    }
  }
  out.kind = Number::Kind::Double;
  const char* first = reinterpret_cast<const char*>(start);
  const char* last = reinterpret_cast<const char*>(pos_);
  auto [ptr, ec] = std::from_chars(first, last, out.d);
  if (ec == std::errc::result_out_of_range || std::isinf(out.d)) {
    if (magnitude_too_large(view_of(start, pos_))) return fail("number out of range");
    out.d = negative ? -0.0 : 0.0;
  }
  return true;
}

bool JsonReader::scan_number_syntax() {
  if (*pos_ == '-') ++pos_;
  if (pos_ == end_) return fail("EOF while parsing a value");
  if (*pos_ == '0') {
    ++pos_;
    if (pos_ != end_ && is_digit(*pos_)) return fail_peek("invalid number");
  } else if (is_digit(*pos_)) {
    while (pos_ != end_ && is_digit(*pos_)) ++pos_;
  } else {
    return fail_peek("invalid number");
  }
  bool seen = false;
  return scan_fraction_and_exponent(seen);
}

bool JsonReader::parse_string(std::string_view& out) {
  const uint8_t* start = ++pos_;
  for (;;) {
    while (pos_ != end_ && !kStringStop[*pos_]) ++pos_;
    if (pos_ == end_) return fail("EOF while parsing a string");
    const uint8_t c = *pos_;
    if (c == '"') {
      out = view_of(start, pos_);
      ++pos_;
      return true;
    }
    if (c == '\\') return parse_escaped_string(start, out);
    if (c < 0x20) return fail("control character (\\u0000-\\u001F) found while parsing a string");
    if (c < 0x80) {
      ++pos_;
    } else if (!skip_utf8_sequence()) {
      return false;
    }
  }
}

bool JsonReader::skip_utf8_sequence() {
  const int length = utf8_sequence_length(pos_, end_);
  if (length == kUtf8Truncated) return fail("EOF while parsing a string");
  if (length == kUtf8Malformed) return fail("invalid unicode code point");
  pos_ += length;
  return true;
}

bool JsonReader::parse_escaped_string(const uint8_t* start, std::string_view& out) {
  scratch_.assign(reinterpret_cast<const char*>(start), static_cast<std::size_t>(pos_ - start));
  for (;;) {
    if (pos_ == end_) return fail("EOF while parsing a string");
    const uint8_t c = *pos_;
    if (c == '"') {
      ++pos_;
      out = scratch_;
      return true;
    }
    if (c == '\\') {
      ++pos_;
      if (!parse_escape()) return false;
    } else if (c < 0x20) {
      return fail("control character (\\u0000-\\u001F) found while parsing a string");
    } else if (c < 0x80) {
      scratch_.push_back(static_cast<char>(c));
      ++pos_;
    } else {
      const uint8_t* sequence = pos_;
      if (!skip_utf8_sequence()) return false;
      scratch_.append(reinterpret_cast<const char*>(sequence),
                      static_cast<std::size_t>(pos_ - sequence));
    }
  }
}

bool JsonReader::parse_hex4(uint32_t& out) {
  out = 0;
  for (int i = 0; i < 4; ++i) {
    if (pos_ == end_) return fail("EOF while parsing a string");
    const int digit = hex_value(*pos_++);
    if (digit < 0) return fail("invalid escape");
    out = out * 16 + static_cast<uint32_t>(digit);
  }
  return true;
}

bool JsonReader::parse_escape() {
  if (pos_ == end_) return fail("EOF while parsing a string");
  char plain = 0;
  switch (*pos_++) {
    case '"': plain = '"'; break;
    case '\\': plain = '\\'; break;
    case '/': plain = '/'; break;
    case 'b': plain = '\b'; break;
    case 'f': plain = '\f'; break;
    case 'n': plain = '\n'; break;
    case 'r': plain = '\r'; break;
    case 't': plain = '\t'; break;
    case 'u': break;
    default: return fail("invalid escape");
  }
  if (plain != 0) {
    scratch_.push_back(plain);
    return true;
  }
  uint32_t code_point = 0;
  if (!parse_hex4(code_point)) return false;
  if (code_point >= 0xDC00 && code_point <= 0xDFFF) {
    return fail("lone leading surrogate in hex escape");
  }
  if (code_point >= 0xD800 && code_point <= 0xDBFF) {
    // A high surrogate must be followed by the escape of a low one.
    for (uint8_t expected : {uint8_t{'\\'}, uint8_t{'u'}}) {
      if (pos_ == end_) return fail("EOF while parsing a string");
      if (*pos_++ != expected) return fail("unexpected end of hex escape");
    }
    uint32_t low = 0;
    if (!parse_hex4(low)) return false;
    if (low < 0xDC00 || low > 0xDFFF) return fail("lone leading surrogate in hex escape");
    code_point = 0x10000 + ((code_point - 0xD800) << 10) + (low - 0xDC00);
  }
  append_utf8(code_point, scratch_);
  return true;
}

// ----------------------------------------------------------------- scalars

bool JsonReader::read_number_for(std::string_view expected, Number& out) {
  const int c = peek();
  if (c == '-' || (c >= '0' && c <= '9')) return parse_number(out);
  return fail_invalid_type(expected);
}

bool JsonReader::read_u64_slow(uint64_t& out) {
  Number number;
  if (!read_number_for("u64", number)) return false;
  if (number.kind == Number::Kind::Unsigned) {
    out = number.u;
    return true;
  }
  if (number.kind == Number::Kind::Negative) return fail_invalid_value(number, "u64");
  return fail_invalid("invalid type: ", describe_number(number), "u64");
}

bool JsonReader::read_u32(uint32_t& out) {
  Number number;
  if (!read_number_for("u32", number)) return false;
  if (number.kind == Number::Kind::Unsigned && number.u <= std::numeric_limits<uint32_t>::max()) {
    out = static_cast<uint32_t>(number.u);
    return true;
  }
  if (number.kind != Number::Kind::Double) return fail_invalid_value(number, "u32");
  return fail_invalid("invalid type: ", describe_number(number), "u32");
}

bool JsonReader::read_i64(int64_t& out) {
  Number number;
  if (!read_number_for("i64", number)) return false;
  switch (number.kind) {
    case Number::Kind::Negative:
      out = number.i;
      return true;
    case Number::Kind::Unsigned:
      if (number.u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
        return fail_invalid_value(number, "i64");
      }
      out = static_cast<int64_t>(number.u);
      return true;
    case Number::Kind::Double:
      break;
  }
  return fail_invalid("invalid type: ", describe_number(number), "i64");
}

bool JsonReader::read_f64(double& out) {
  // The writer puts null in place of a value that is not finite; it reads
  // back as not-a-number, so that what the writer wrote is never refused.
  if (peek() == 'n') {
    if (!read_null()) return false;
    out = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  Number number;
  if (!read_number_for("f64", number)) return false;
  switch (number.kind) {
    case Number::Kind::Unsigned: out = static_cast<double>(number.u); break;
    case Number::Kind::Negative: out = static_cast<double>(number.i); break;
    case Number::Kind::Double: out = number.d; break;
  }
  return true;
}

bool JsonReader::read_bool(bool& out) {
  const int c = peek();
  if (c == 't') {
    ++pos_;
    out = true;
    return parse_literal("rue");
  }
  if (c == 'f') {
    ++pos_;
    out = false;
    return parse_literal("alse");
  }
  return fail_invalid_type("a boolean");
}

bool JsonReader::read_string(std::string& out) {
  if (peek() != '"') return fail_invalid_type("a string");
  std::string_view text;
  if (!parse_string(text)) return false;
  out.assign(text);
  return true;
}

bool JsonReader::read_null() {
  ++pos_;
  return parse_literal("ull");
}

bool JsonReader::read_optional_u64(bool& present, uint64_t& out) {
  present = peek() != 'n';
  return present ? read_u64(out) : read_null();
}

bool JsonReader::read_unit() {
  if (peek() != 'n') return fail_invalid_type("unit");
  return read_null();
}

bool JsonReader::read_key(std::string_view& out) { return parse_string(out); }

// --------------------------------------------------------------- structure

bool JsonReader::enter() {
  if (depth_ == kMaxDepth) return fail_peek("recursion limit exceeded");
  ++depth_;
  ++pos_;
  return true;
}

bool JsonReader::fail_colon() {
  return fail_peek(pos_ == end_ ? "EOF while parsing an object" : "expected `:`");
}

// After the first item: a comma and another item, or an error.
JsonReader::Next JsonReader::next_item_after_comma(int c) {
  if (c == -1) {
    fail_peek("EOF while parsing a list");
    return Next::Error;
  }
  if (c != ',') {
    fail_peek("expected `,` or `]`");
    return Next::Error;
  }
  ++pos_;
  c = peek();
  if (c == ']') {
    fail_peek("trailing comma");
    return Next::Error;
  }
  if (c == -1) {
    fail_peek("EOF while parsing a value");
    return Next::Error;
  }
  return Next::Item;
}

bool JsonReader::end_fixed_array() {
  const int c = peek();
  if (c == ']') {
    ++pos_;
    leave();
    return true;
  }
  if (c == -1) return fail_peek("EOF while parsing a list");
  if (c == ',') {
    ++pos_;
    if (peek() == ']') return fail_peek("trailing comma");
  }
  return fail_peek("trailing characters");
}

// Past the fast cases: a first key that is no string, or what follows an
// entry.
JsonReader::Next JsonReader::next_key_after_comma(int c, bool& first) {
  if (c == -1) {
    fail_peek("EOF while parsing an object");
    return Next::Error;
  }
  if (first) {
    fail_peek("key must be a string");
    return Next::Error;
  }
  if (c != ',') {
    fail_peek("expected `,` or `}`");
    return Next::Error;
  }
  ++pos_;
  c = peek();
  if (c == '"') return Next::Item;
  if (c == '}') fail_peek("trailing comma");
  else if (c == -1) fail_peek("EOF while parsing a value");
  else fail_peek("key must be a string");
  return Next::Error;
}

bool JsonReader::end_variant_object() {
  const int c = peek();
  if (c == '}') {
    ++pos_;
    leave();
    return true;
  }
  return fail(c == -1 ? "EOF while parsing an object" : "expected value");
}

bool JsonReader::finish() {
  if (peek() != -1) return fail_peek("trailing characters");
  return true;
}

// Iterative, so that a deep unknown value costs no stack: `open` holds the
// brackets of the containers entered so far.
bool JsonReader::skip_value() {
  std::string open;
  std::string_view ignored;
  auto key_and_colon = [&]() { return parse_string(ignored) && expect_colon(); };
  for (;;) {
    const int c = peek();
    switch (c) {
      case -1:
        return fail_peek("EOF while parsing a value");
      case '"':
        if (!parse_string(ignored)) return false;
        break;
      case 't':
        ++pos_;
        if (!parse_literal("rue")) return false;
        break;
      case 'f':
        ++pos_;
        if (!parse_literal("alse")) return false;
        break;
      case 'n':
        if (!read_null()) return false;
        break;
      case '[':
        ++pos_;
        if (peek() == ']') {
          ++pos_;
          break;
        }
        open.push_back('[');
        continue;
      case '{': {
        ++pos_;
        const int next = peek();
        if (next == '}') {
          ++pos_;
          break;
        }
        if (next == -1) return fail_peek("EOF while parsing an object");
        if (next != '"') return fail_peek("key must be a string");
        if (!key_and_colon()) return false;
        open.push_back('{');
        continue;
      }
      default:
        if (c != '-' && !is_digit(static_cast<uint8_t>(c))) return fail_peek("expected value");
        if (!scan_number_syntax()) return false;
        break;
    }
    // A value is complete: close what ends here, or move to the next item.
    for (;;) {
      if (open.empty()) return true;
      const int next = peek();
      const bool in_array = open.back() == '[';
      if (next == (in_array ? ']' : '}')) {
        ++pos_;
        open.pop_back();
        continue;
      }
      if (next == -1) {
        return fail_peek(in_array ? "EOF while parsing a list" : "EOF while parsing an object");
      }
      if (next != ',') return fail_peek(in_array ? "expected `,` or `]`" : "expected `,` or `}`");
      ++pos_;
      const int after = peek();
      if (after == (in_array ? ']' : '}')) return fail_peek("trailing comma");
      if (after == -1) return fail_peek("EOF while parsing a value");
      if (!in_array) {
        if (after != '"') return fail_peek("key must be a string");
        if (!key_and_colon()) return false;
      }
      break;
    }
  }
}

}  // namespace plim::encoding
