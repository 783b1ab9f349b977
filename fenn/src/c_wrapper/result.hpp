// The record that owns an encoded result for the host: the byte buffer that
// the encoder filled, taken over without a copy.
#pragma once

#include <utility>

#include "libplim/src/byte_buffer.hpp"

struct Result {
  explicit Result(plim::ByteBuffer encoded) noexcept : bytes(std::move(encoded)) {}
  plim::ByteBuffer bytes;
};
