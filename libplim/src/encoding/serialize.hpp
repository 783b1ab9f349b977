// Top-level encoding and decoding in the encoding a caller names: the one
// road that the process and the executors' C functions take.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "libplim/src/byte_buffer.hpp"
#include "libplim/src/encoding/bin.hpp"
#include "libplim/src/encoding/json.hpp"
#include "libplim/src/model.hpp"

namespace plim::encoding {

// A JSON document starts in a buffer of this many bytes and grows as needed.
inline constexpr std::size_t kJsonInitialCapacity = 128;

inline ByteBuffer encode_metrics(const Metrics& metrics, DataType type) {
  if (type == DataType::BIN) return write_metrics_bin(metrics);
  ByteBuffer out(kJsonInitialCapacity);
  write_metrics_json(metrics, out);
  return out;
}

inline ByteBuffer encode_quantum_code(std::span<const CodeBlock* const> blocks, DataType type) {
  if (type == DataType::BIN) return write_quantum_code_bin(blocks);
  ByteBuffer out(kJsonInitialCapacity);
  write_quantum_code_json(blocks, out);
  return out;
}

inline ByteBuffer encode_result(const ResultData& result, DataType type) {
  if (type == DataType::BIN) return write_result_bin(result);
  ByteBuffer out(kJsonInitialCapacity);
  write_result_json(result, out);
  return out;
}

inline Decoded<Metrics> decode_metrics(std::span<const uint8_t> input, DataType type) {
  return type == DataType::BIN ? read_metrics_bin(input) : read_metrics_json(input);
}

inline Decoded<std::vector<CodeBlock>> decode_quantum_code(std::span<const uint8_t> input,
                                                           DataType type) {
  return type == DataType::BIN ? read_quantum_code_bin(input) : read_quantum_code_json(input);
}

inline Decoded<ResultData> decode_result(std::span<const uint8_t> input, DataType type) {
  return type == DataType::BIN ? read_result_bin(input) : read_result_json(input);
}

// References to decoded blocks, in block order, as the engine and the
// writers take them.
inline std::vector<const CodeBlock*> block_references(const std::vector<CodeBlock>& blocks) {
  std::vector<const CodeBlock*> references;
  references.reserve(blocks.size());
  for (const CodeBlock& block : blocks) references.push_back(&block);
  return references;
}

}  // namespace plim::encoding
