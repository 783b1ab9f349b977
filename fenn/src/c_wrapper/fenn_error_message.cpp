#include "fenn.h"
#include "fenn/src/quantum_execution/fenn_error.hpp"

extern "C" const char* fenn_error_message(int error_code, size_t* size) {
  const std::string_view text = fenn::fenn_error_text(error_code);
  *size = text.size();
  return text.data();
}
