// Builds BIN byte strings field by field, so that expected encodings read
// like the layout tables they come from.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "libplim/src/byte_buffer.hpp"

namespace bin_test {

struct Bytes {
  std::vector<uint8_t> data;

  Bytes& u8(uint8_t value) {
    data.push_back(value);
    return *this;
  }
  Bytes& u32(uint32_t value) {
    for (int i = 0; i < 4; ++i) data.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return *this;
  }
  Bytes& u64(uint64_t value) {
    for (int i = 0; i < 8; ++i) data.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return *this;
  }
  Bytes& f64(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    return u64(bits);
  }
  Bytes& text(std::string_view value) {
    data.insert(data.end(), value.begin(), value.end());
    return *this;
  }
  Bytes& string(std::string_view value) { return u64(value.size()).text(value); }
  Bytes& raw(std::initializer_list<uint8_t> values) {
    data.insert(data.end(), values.begin(), values.end());
    return *this;
  }
  Bytes& append(const Bytes& other) {
    data.insert(data.end(), other.data.begin(), other.data.end());
    return *this;
  }
  std::span<const uint8_t> span() const { return data; }
};

inline std::vector<uint8_t> to_vector(const plim::ByteBuffer& buffer) {
  return {buffer.data(), buffer.data() + buffer.size()};
}

inline Bytes from(const plim::ByteBuffer& buffer) { return Bytes{to_vector(buffer)}; }

}  // namespace bin_test
