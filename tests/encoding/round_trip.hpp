// Writes random values and reads them back, seed after seed.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "encoding/random_values.hpp"
#include "libplim/src/byte_buffer.hpp"

namespace encoding_test {

inline constexpr uint64_t kRounds = 2000;

// `make` draws a value, `write` encodes it, `read` decodes the bytes; the
// decoded value must equal the drawn one.
template <class Make, class Write, class Read>
void expect_round_trips(bool finite_only, Make make, Write write, Read read) {
  for (uint64_t seed = 0; seed < kRounds; ++seed) {
    SCOPED_TRACE(seed);
    RandomValues random(seed, finite_only);
    const auto value = make(random);
    const plim::ByteBuffer bytes = write(value);
    const auto decoded = read(bytes.bytes());
    ASSERT_TRUE(decoded) << decoded.error().description << "\n" << bytes.view();
    ASSERT_EQ(*decoded, value) << bytes.view();
  }
}

}  // namespace encoding_test
