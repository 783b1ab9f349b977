#include "libplim/src/error.hpp"
#include "plim.h"

extern "C" const char* plim_error_message(int error_code, size_t* size) {
  const std::string_view text = plim::plim_error_text(error_code);
  *size = text.size();
  return text.data();
}
