// The simulator's error codes, shared with the external back end.
#pragma once

#include <cstdint>
#include <string_view>

namespace fenn {

enum class FennError : uint8_t {
  Success = 0,
  Timeout = 1,
  OutOfQubits = 2,
  TooManyQubits = 3,
  UnsupportedPlugin = 4,
  NotReady = 5,
  UndefinedDataType = 6,
  UndefinedSimMode = 7,
  UndefinedError = 8,
};

inline constexpr int kFennErrorCount = 9;

// The message of a code; any code outside 0 to 8 reads as UndefinedError's.
// The text is static and not zero-terminated.
std::string_view fenn_error_text(int code) noexcept;

// The integer a C function returns for an outcome.
constexpr int32_t error_code(FennError error) noexcept { return static_cast<int32_t>(error); }

}  // namespace fenn
