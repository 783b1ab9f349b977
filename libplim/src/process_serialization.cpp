#include <span>
#include <utility>
#include <vector>

#include "libplim/src/encoding/serialize.hpp"
#include "libplim/src/process.hpp"

using plim::PlimError;

// Each kept encoding is replaced only once the new one is complete, so a
// failed allocation leaves the previous bytes lent out and valid.
const plim::SerializedData& Process::serialize_metrics(plim::DataType type) {
  serialized_metrics = plim::SerializedData{type, plim::encoding::encode_metrics(metrics, type)};
  return *serialized_metrics;
}

const plim::SerializedData& Process::serialize_quantum_code(plim::DataType type) {
  const std::vector<const plim::CodeBlock*> code = get_quantum_code();
  serialized_quantum_code =
      plim::SerializedData{type, plim::encoding::encode_quantum_code(code, type)};
  return *serialized_quantum_code;
}

PlimError Process::set_serialized_result(const plim::SerializedData& data) {
  // JSON that is not UTF-8 does not decode: the reader refuses it like any
  // other malformed text.
  plim::encoding::Decoded<plim::ResultData> result =
      plim::encoding::decode_result(data.bytes.bytes(), data.type);
  if (!result) return PlimError::FailToParseResult;
  return set_result(std::move(result).value());
}
