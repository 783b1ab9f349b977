#include "fuzz/fenn_family.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::check_serialized_run(data, size, plim::DataType::JSON, fuzz::kFenn, fuzz::call_fenn);
  return 0;
}
