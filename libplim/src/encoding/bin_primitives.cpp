#include "libplim/src/encoding/bin_primitives.hpp"

#include <string>

namespace plim::encoding::bin {

void fail_short_input() { throw Failure{"unexpected end of input"}; }

void fail_invalid_value(uint64_t found, std::string_view expected) {
  std::string description = "invalid value: integer `" + std::to_string(found) + "`, expected ";
  description += expected;
  throw Failure{std::move(description)};
}

void fail_variant_index(uint32_t found, uint32_t variants) {
  fail_invalid_value(found, "variant index 0 <= i < " + std::to_string(variants));
}

void fail_invalid_utf8() {
  throw Failure{"invalid value: byte sequence that is not valid UTF-8, expected a string"};
}

}  // namespace plim::encoding::bin
