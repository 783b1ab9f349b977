// The two roads of a run that the simulator's and the external back end's C
// functions share: in place on a live process, or from encoded code and
// metrics to an encoded result. The engine itself knows nothing of Process;
// only these roads reach the builder's state.
#pragma once

#include <cstdint>
#include <exception>
#include <span>
#include <utility>
#include <vector>

#include "fenn/src/c_wrapper/guarded.hpp"
#include "fenn/src/c_wrapper/result.hpp"
#include "fenn/src/quantum_execution/backend.hpp"
#include "fenn/src/quantum_execution/engine.hpp"
#include "libplim/src/byte_buffer.hpp"
#include "libplim/src/encoding/serialize.hpp"
#include "libplim/src/model.hpp"
#include "libplim/src/process.hpp"

namespace fenn {

// Builds a back end from the process's metrics, runs the process's code on
// it and stores the result. On any failure the process is unchanged; a
// refusal of the result by the process reads as UndefinedError.
template <QuantumExecution B>
Status run_and_set_result(Process& process) {
  try {
    const plim::Metrics& metrics = process.get_metrics();
    const std::vector<const plim::CodeBlock*> code = process.get_quantum_code();
    FennResult<B> backend = B::create(metrics);
    if (!backend) return plim::Unexpected{backend.error()};
    FennResult<plim::ResultData> result = run(*backend, code, metrics);
    if (!result) return plim::Unexpected{result.error()};
    if (process.set_result(std::move(*result)) != plim::PlimError::Success)
      return plim::Unexpected{FennError::UndefinedError};
    return {};
  } catch (const std::exception&) {
    return plim::Unexpected{FennError::UndefinedError};
  }
}

struct DecodedInputs {
  std::vector<plim::CodeBlock> blocks;
  std::vector<const plim::CodeBlock*> references;
  plim::Metrics metrics;
};

// Bytes that are not a document of the named encoding are answered with
// UndefinedDataType: no code names malformed input, and this one tells the
// host that the bytes are not data of the type it gave.
inline FennResult<DecodedInputs> decode_inputs(std::span<const uint8_t> code,
                                               std::span<const uint8_t> metrics,
                                               plim::DataType type) {
  auto blocks = plim::encoding::decode_quantum_code(code, type);
  if (!blocks) return plim::Unexpected{FennError::UndefinedDataType};
  DecodedInputs inputs;
  inputs.blocks = std::move(*blocks);
  inputs.references = plim::encoding::block_references(inputs.blocks);
  auto decoded_metrics = plim::encoding::decode_metrics(metrics, type);
  if (!decoded_metrics) return plim::Unexpected{FennError::UndefinedDataType};
  inputs.metrics = std::move(*decoded_metrics);
  return inputs;
}

// Builds B from the decoded metrics, runs, releases B before the result is
// encoded, and hands out the encoded bytes.
template <QuantumExecution B>
FennResult<plim::ByteBuffer> run_decoded(const DecodedInputs& inputs, plim::DataType type) {
  FennResult<plim::ResultData> result = [&]() -> FennResult<plim::ResultData> {
    auto backend = B::create(inputs.metrics);
    if (!backend) return plim::Unexpected{backend.error()};
    return run(*backend, inputs.references, inputs.metrics);
  }();
  if (!result) return plim::Unexpected{result.error()};
  return plim::encoding::encode_result(*result, type);
}

// Reads an encoded input given as pointer and length.
inline std::span<const uint8_t> input_bytes(const uint8_t* data, uint64_t size) noexcept {
  return size == 0 ? std::span<const uint8_t>{} : std::span<const uint8_t>{data, size};
}

// The serialised road of a C function: the data type first, then both inputs
// decoded, then `run` builds and runs a back end (and may still refuse, as an
// unknown simulation mode does only now); the encoded answer goes to a new
// Result, written through `out` only on success.
template <class Run>
int32_t serve_serialized(std::span<const uint8_t> code, std::span<const uint8_t> metrics,
                         int data_type, Result** out, const Run& run) {
  return guarded([&] {
    const auto type = plim::data_type_from_int(data_type);
    if (!type) return error_code(FennError::UndefinedDataType);
    const auto inputs = decode_inputs(code, metrics, *type);
    if (!inputs) return error_code(inputs.error());
    FennResult<plim::ByteBuffer> encoded = run(*inputs, *type);
    if (!encoded) return error_code(encoded.error());
    *out = new Result(std::move(*encoded));
    return error_code(FennError::Success);
  });
}

}  // namespace fenn
