// The strict JSON reader core: one pass over the caller's bytes, white space,
// literals, numbers, strings, nesting depth, skipping of unknown values, and
// the first error met. Every read_* function returns false once an error is
// recorded; the typed readers above it only propagate that false.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "libplim/src/encoding/decode_error.hpp"

namespace plim::encoding {

class JsonReader {
 public:
  // Arrays and objects that a decoded value may open inside one another.
  static constexpr int kMaxDepth = 127;

  explicit JsonReader(std::span<const uint8_t> input)
      : begin_(input.data()), pos_(input.data()), end_(input.data() + input.size()) {}

  // Skips white space and returns the next byte, or -1 at the end of input.
  int peek() {
    while (pos_ != end_ && is_space(*pos_)) ++pos_;
    return pos_ != end_ ? *pos_ : -1;
  }

  // ------------------------------------------------------------- scalars
  // Up to 19 plain digits are read here; everything else (a leading zero, a
  // fraction, an exponent, a sign, a longer number) by the general rule.
  bool read_u64(uint64_t& out) {
    if (peek() > '0' && *pos_ <= '9' && end_ - pos_ > 20) {
      const uint8_t* p = pos_;
      uint64_t value = 0;
      for (int digits = 0; digits != 19 && is_digit(*p); ++digits) value = value * 10 + (*p++ - '0');
      if (!is_digit(*p) && *p != '.' && *p != 'e' && *p != 'E') {
        pos_ = p;
        out = value;
        return true;
      }
    }
    return read_u64_slow(out);
  }
  bool read_u32(uint32_t& out);
  bool read_i64(int64_t& out);
  // Any number; `null` (the writer's form of a value that is not finite)
  // gives a quiet NaN.
  bool read_f64(double& out);
  bool read_bool(bool& out);
  bool read_string(std::string& out);
  // `null` gives false in `present`; anything else is read as an u64.
  bool read_optional_u64(bool& present, uint64_t& out);
  // `null` only: the content of a unit variant in its one-key object form.
  bool read_unit();
  // A string at the current position (the opening quote is next), decoded.
  // The view stays valid until the next string is read.
  bool read_key(std::string_view& out);
  // Skips one well-formed value of any depth, without the nesting limit.
  bool skip_value();

  // ------------------------------------------------------------ structure
  // Consumes the `[` or `{` that peek() returned, counting one level.
  bool enter();
  void leave() { --depth_; }
  bool expect_colon() {
    if (peek() != ':') return fail_colon();
    ++pos_;
    return true;
  }

  enum class Next { Item, End, Error };
  // Inside an array: whether another item follows (after its comma).
  Next next_item(bool& first) {
    const int c = peek();
    if (c == ']') return Next::End;
    if (first && c != -1) {
      first = false;
      return Next::Item;
    }
    return next_item_after_comma(c);
  }
  // After the last item that a fixed-length value takes: only `]` may follow.
  bool end_fixed_array();
  // Inside an object: whether another key follows; the key's quote is next.
  Next next_key(bool& first) {
    const int c = peek();
    if (c == '}') return Next::End;
    if (first && c == '"') {
      first = false;
      return Next::Item;
    }
    return next_key_after_comma(c, first);
  }
  // Consumes the `}` that next_key() saw, leaving the level.
  void close_object() {
    ++pos_;
    leave();
  }
  // After the content of an enumeration's one-key object: only `}` may follow.
  bool end_variant_object();

  // A JSON array whose items `element` reads one by one.
  template <class Element>
  bool read_array(std::string_view expected, Element&& element) {
    int c = peek();
    if (c != '[') return fail_invalid_type(expected);
    if (!enter()) return false;
    bool first = true;
    for (;;) {
      Next next = next_item(first);
      if (next == Next::Error) return false;
      if (next == Next::End) break;
      if (!element()) return false;
    }
    ++pos_;
    leave();
    return true;
  }

  // The top level: only white space may follow the value.
  bool finish();

  // --------------------------------------------------------------- errors
  // Syntax errors: at the consumed position, or at the byte looked at.
  bool fail(std::string_view text);
  bool fail_peek(std::string_view text);
  // Reads the value that stands where `expected` was wanted and reports it.
  bool fail_invalid_type(std::string_view expected);
  bool fail_invalid_length(std::size_t count, std::string_view expected);
  bool fail_missing_field(std::string_view name);
  bool fail_duplicate_field(std::string_view name);
  bool fail_unknown_variant(std::string_view name, std::span<const std::string_view> names);
  bool fail_unit_variant(std::string_view expected);

  DecodeError take_error() { return std::move(error_); }

 private:
  struct Number {
    enum class Kind { Unsigned, Negative, Double } kind = Kind::Unsigned;
    uint64_t u = 0;
    int64_t i = 0;
    double d = 0.0;
  };

  static bool is_space(uint8_t c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
  static bool is_digit(uint8_t c) { return c >= '0' && c <= '9'; }
  bool read_u64_slow(uint64_t& out);
  // The `null` literal, whose `n` peek() returned.
  bool read_null();
  bool fail_colon();
  Next next_item_after_comma(int c);
  Next next_key_after_comma(int c, bool& first);
  bool fail_at(const uint8_t* where, std::string_view text);
  bool fail_invalid(std::string_view kind, std::string_view found, std::string_view expected);
  bool fail_invalid_value(const Number& number, std::string_view expected);
  std::string describe_number(const Number& number) const;

  bool parse_number(Number& out);
  bool scan_number_syntax();
  bool scan_fraction_and_exponent(bool& seen);
  bool skip_utf8_sequence();
  bool parse_literal(std::string_view rest);
  bool parse_string(std::string_view& out);
  bool parse_escaped_string(const uint8_t* start, std::string_view& out);
  bool parse_escape();
  bool parse_hex4(uint32_t& out);
  bool read_number_for(std::string_view expected, Number& out);

  const uint8_t* begin_;
  const uint8_t* pos_;
  const uint8_t* end_;
  int depth_ = 0;
  std::string scratch_;
  DecodeError error_;
};

}  // namespace plim::encoding
