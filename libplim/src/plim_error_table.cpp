#include "libplim/src/error.hpp"

#include <array>

namespace plim {
namespace {

struct Entry {
  std::string_view name;
  std::string_view message;
};

constexpr std::array<Entry, kPlimErrorCount> kTable{{
    {"Success", "the call returned successfully"},
    {"ControlTwice", "cannot set a qubit as a control twice"},
    {"DataNotAvailable", "data not available"},
    {"DeallocatedQubit", "cannot operate with a deallocated or invalid qubit"},
    {"FailToParseResult", "fail to parse serialized result data"},
    {"NoAdj", "no inverse scope to end"},
    {"NoCtrl", "no control scope to end"},
    {"NonGateInstruction", "cannot apply a non-gate instruction within a controlled or inverse scope"},
    {"NotBIN", "data is not BIN"},
    {"NotJSON", "data is not JSON"},
    {"NotUnitary", "the given matrix is not unitary"},
    {"PluginOnCtrl", "cannot apply plugin within a controlled scope"},
    {"TargetOnControl", "a qubit cannot be targeted and controlled at the same time"},
    {"TerminatedBlock", "cannot append statements to a terminated block"},
    {"UndefinedClassicalOp", "undefined classical operation"},
    {"UndefinedDataType", "undefined data type"},
    {"UndefinedGate", "undefined quantum gate"},
    {"UnexpectedResultData", "result do not have the expected number of values"},
    {"UnmatchedPid", "unmatched pid"},
    {"DirtyNotAllowed", "cannot allocate or free dirty qubits (feature disabled)"},
    {"DumpNotAllowed", "cannot dump qubits (feature disabled)"},
    {"MeasureNotAllowed", "cannot measure qubit (feature disabled)"},
    {"FreeNotAllowed", "cannot free qubit (feature disabled)"},
    {"PluginNotRegistered", "plugin not registered"},
    {"ControlFlowNotAllowed", "classical control flow not allowed (feature disabled)"},
    {"UndefinedError", "undefined error"},
}};

}  // namespace

std::string_view plim_error_text(int code) noexcept {
  auto index = static_cast<uint32_t>(code);
  if (index >= kTable.size()) index = static_cast<uint32_t>(PlimError::UndefinedError);
  return kTable[index].message;
}

std::string_view plim_error_name(PlimError error) noexcept {
  return kTable[static_cast<uint8_t>(error)].name;
}

}  // namespace plim
