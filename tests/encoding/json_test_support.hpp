// Helpers shared by the JSON tests: text in, text out.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "libplim/src/byte_buffer.hpp"
#include "libplim/src/encoding/json_compound.hpp"
#include "libplim/src/model.hpp"

namespace json_test {

inline std::span<const uint8_t> bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// What a writer appends to a fresh buffer.
template <class Value, class Write>
std::string written(const Value& value, Write&& write) {
  plim::ByteBuffer out;
  write(value, out);
  return std::string(out.view());
}

// Reads one whole document with a reader of one value.
template <class T, class Read>
plim::encoding::Decoded<T> read_text(std::string_view text, Read&& read) {
  return plim::encoding::read_json_document<T>(
      bytes(text), [&](plim::encoding::JsonReader& reader, T& value) { return read(reader, value); });
}

// The description up to its position suffix, which every error carries.
template <class Decoded>
std::string error_text(const Decoded& decoded) {
  if (decoded.has_value()) return "(decoded)";
  const std::string& description = decoded.error().description;
  const std::size_t at = description.rfind(" at line ");
  EXPECT_NE(at, std::string::npos) << description;
  return description.substr(0, at);
}

// The metrics of the documented example: three qubits, two futures, one
// block, the plug-in pown, ready.
inline plim::Metrics example_metrics() {
  plim::Metrics metrics;
  metrics.qubit_simultaneous = 3;
  metrics.qubit_count = 3;
  metrics.future_count = 2;
  metrics.block_count = 1;
  metrics.plugins = {"pown"};
  metrics.ready = true;
  return metrics;
}

}  // namespace json_test
