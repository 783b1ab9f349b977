#include "libplim/src/error.hpp"

#include <array>

namespace plim {
namespace {

// Indexed by code.
constexpr std::array<std::string_view, kPlimErrorCount> kMessages{{
    "the call returned successfully",
    "cannot set a qubit as a control twice",
    "data not available",
    "cannot operate with a deallocated or invalid qubit",
    "fail to parse serialized result data",
    "no inverse scope to end",
    "no control scope to end",
    "cannot apply a non-gate instruction within a controlled or inverse scope",
    "data is not BIN",
    "data is not JSON",
    "the given matrix is not unitary",
    "cannot apply plugin within a controlled scope",
    "a qubit cannot be targeted and controlled at the same time",
    "cannot append statements to a terminated block",
    "undefined classical operation",
    "undefined data type",
    "undefined quantum gate",
    "result do not have the expected number of values",
    "unmatched pid",
    "cannot allocate or free dirty qubits (feature disabled)",
    "cannot dump qubits (feature disabled)",
    "cannot measure qubit (feature disabled)",
    "cannot free qubit (feature disabled)",
    "plugin not registered",
    "classical control flow not allowed (feature disabled)",
    "undefined error",
}};

}  // namespace

std::string_view plim_error_text(int code) noexcept {
  auto index = static_cast<uint32_t>(code);
  if (index >= kMessages.size()) index = static_cast<uint32_t>(PlimError::UndefinedError);
  return kMessages[index];
}

}  // namespace plim
