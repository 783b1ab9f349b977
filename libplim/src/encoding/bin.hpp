// The BIN form of metrics, quantum code and results: fixed-width little-endian
// fields, 64-bit counts, 32-bit variant indices. Each size function gives the
// exact length that its writer produces; readers decode the value at the
// front of the input and ignore any bytes after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "libplim/src/byte_buffer.hpp"
#include "libplim/src/encoding/decode_error.hpp"
#include "libplim/src/model.hpp"

namespace plim::encoding {

std::size_t metrics_bin_size(const Metrics& metrics);
std::size_t quantum_code_bin_size(std::span<const CodeBlock* const> blocks);
std::size_t result_bin_size(const ResultData& result);

// Each computes the exact size first and allocates once.
ByteBuffer write_metrics_bin(const Metrics& metrics);
ByteBuffer write_quantum_code_bin(std::span<const CodeBlock* const> blocks);
ByteBuffer write_result_bin(const ResultData& result);

Decoded<Metrics> read_metrics_bin(std::span<const uint8_t> input);
Decoded<std::vector<CodeBlock>> read_quantum_code_bin(std::span<const uint8_t> input);
Decoded<ResultData> read_result_bin(std::span<const uint8_t> input);

}  // namespace plim::encoding
