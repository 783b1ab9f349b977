#include "fuzz/round_trip.hpp"

using namespace plim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::check_round_trip(data, size, encoding::read_result_json, [](const auto& value) {
    return encoding::encode_result(value, DataType::JSON);
  });
  return 0;
}
