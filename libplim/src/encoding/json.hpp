// The JSON form of metrics, quantum code and results. Writers append compact
// JSON to a buffer and cannot fail; readers take one whole JSON text (only
// white space may follow the value) and return the value or one error.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "libplim/src/byte_buffer.hpp"
#include "libplim/src/encoding/decode_error.hpp"
#include "libplim/src/model.hpp"

namespace plim::encoding {

void write_metrics_json(const Metrics& metrics, ByteBuffer& out);
// Every block in block order, as the process or a decoder holds them.
void write_quantum_code_json(std::span<const CodeBlock* const> blocks, ByteBuffer& out);
void write_result_json(const ResultData& result, ByteBuffer& out);

Decoded<Metrics> read_metrics_json(std::span<const uint8_t> input);
Decoded<std::vector<CodeBlock>> read_quantum_code_json(std::span<const uint8_t> input);
Decoded<ResultData> read_result_json(std::span<const uint8_t> input);

}  // namespace plim::encoding
