#include "fenn/src/quantum_execution/fenn_error.hpp"

#include <array>

namespace fenn {
namespace {

constexpr std::array<std::string_view, kFennErrorCount> kMessages{{
    "the call returned successfully",
    "quantum execution timeout",
    "cannot allocate more qubits (maybe you are deallocating too many qubits as dirty)",
    "dense simulator do not allow more then 32 qubits",
    "unsupported plugin gate",
    "not ready for execution",
    "undefined data type",
    "undefined simulation mode",
    "undefined error",
}};

}  // namespace

std::string_view fenn_error_text(int code) noexcept {
  auto index = static_cast<uint32_t>(code);
  if (index >= kMessages.size()) index = static_cast<uint32_t>(FennError::UndefinedError);
  return kMessages[index];
}

}  // namespace fenn
