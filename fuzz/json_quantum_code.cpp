#include "fuzz/round_trip.hpp"

using namespace plim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::check_round_trip(data, size, encoding::read_quantum_code_json, [](const auto& value) {
    return encoding::encode_quantum_code(encoding::block_references(value), DataType::JSON);
  });
  return 0;
}
