// The process builder's error codes and their messages.
#pragma once

#include <cstdint>
#include <string_view>

namespace plim {

enum class PlimError : uint8_t {
  Success = 0,
  ControlTwice = 1,
  DataNotAvailable = 2,
  DeallocatedQubit = 3,
  FailToParseResult = 4,
  NoAdj = 5,
  NoCtrl = 6,
  NonGateInstruction = 7,
  NotBIN = 8,
  NotJSON = 9,
  NotUnitary = 10,
  PluginOnCtrl = 11,
  TargetOnControl = 12,
  TerminatedBlock = 13,
  UndefinedClassicalOp = 14,
  UndefinedDataType = 15,
  UndefinedGate = 16,
  UnexpectedResultData = 17,
  UnmatchedPid = 18,
  DirtyNotAllowed = 19,
  DumpNotAllowed = 20,
  MeasureNotAllowed = 21,
  FreeNotAllowed = 22,
  PluginNotRegistered = 23,
  ControlFlowNotAllowed = 24,
  UndefinedError = 25,
};

inline constexpr int kPlimErrorCount = 26;

// The message of a code; every code above 25 (and so every negative one)
// reads as UndefinedError's. The text is static and not zero-terminated.
std::string_view plim_error_text(int code) noexcept;

inline int to_int(PlimError error) noexcept { return static_cast<int>(error); }

}  // namespace plim
