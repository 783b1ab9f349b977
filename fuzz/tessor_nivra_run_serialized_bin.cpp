#include "fuzz/tessor_family.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::check_serialized_run(data, size, plim::DataType::BIN, fuzz::kTessor, fuzz::call_tessor);
  return 0;
}
