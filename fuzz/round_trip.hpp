// The property every fuzz target checks: a reader never fails in any way but
// an error value, and whatever it accepts is written and read back the same.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "fuzz/same_value.hpp"
#include "libplim/src/encoding/serialize.hpp"

namespace fuzz {

template <class Read, class Write>
void check_round_trip(const uint8_t* data, std::size_t size, Read read, Write write) {
  const auto decoded = read(std::span<const uint8_t>(data, size));
  if (!decoded) return;
  const plim::ByteBuffer written = write(*decoded);
  const auto again = read(written.bytes());
  if (!again) {
    std::fprintf(stderr, "re-encoded value refused: %s\n", again.error().description.c_str());
    std::abort();
  }
  if (!same(*decoded, *again)) {
    std::fprintf(stderr, "re-encoded value reads back different\n");
    std::abort();
  }
}

}  // namespace fuzz
