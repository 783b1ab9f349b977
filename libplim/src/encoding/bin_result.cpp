#include <cstddef>
#include <span>
#include <utility>
#include <vector>

#include "libplim/src/encoding/bin.hpp"
#include "libplim/src/encoding/bin_primitives.hpp"

namespace plim::encoding {
namespace {

using bin::kWord;
constexpr std::size_t kMinDump = bin::kIndex + 2 * kWord;  // Probability with empty lists

template <class Out>
void write_basis_states_bin(const BasisStates& states, Out& w) noexcept {
  w.u64(states.size());
  for (const BasisStates::State state : states) w.template list<uint64_t>(state);
}

template <class Out>
void write_dump_data_bin(const DumpData& dump, Out& w) noexcept {
  w.u32(static_cast<uint32_t>(dump.index()));
  if (const auto* vector = std::get_if<Vector>(&dump)) {
    write_basis_states_bin(vector->basis_states, w);
    w.template list<double>(vector->amplitudes_real);
    w.template list<double>(vector->amplitudes_imag);
  } else if (const auto* probability = std::get_if<Probability>(&dump)) {
    write_basis_states_bin(probability->basis_states, w);
    w.template list<double>(probability->probabilities);
  } else {
    const auto& shots = *std::get_if<Shots>(&dump);
    write_basis_states_bin(shots.basis_states, w);
    w.template list<uint32_t>(shots.count);
    w.u64(shots.total);
  }
}

// One walk sizes and writes.
constexpr auto write_result_fields = [](const ResultData& result, auto& w) noexcept {
  w.template list<int64_t>(result.future);
  w.u64(result.dump.size());
  for (const DumpData& dump : result.dump) write_dump_data_bin(dump, w);
  w.f64(result.exec_time);
};

void read_basis_states_bin(bin::Reader& r, BasisStates& states) {
  const uint64_t count = r.u64();
  const std::size_t reserved = r.reservation(count, kWord);
  states.reserve(reserved, reserved);
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t width = r.u64();
    r.need_elements(width, kWord);
    r.load_array(states.add_state(static_cast<std::size_t>(width)), width);
  }
}

DumpData read_dump_data_bin(bin::Reader& r) {
  const uint32_t index = r.variant<DumpData>();
  if (index == bin::index_of<DumpData, Vector>()) {
    Vector vector;
    read_basis_states_bin(r, vector.basis_states);
    r.list(vector.amplitudes_real);
    r.list(vector.amplitudes_imag);
    return vector;
  }
  if (index == bin::index_of<DumpData, Probability>()) {
    Probability probability;
    read_basis_states_bin(r, probability.basis_states);
    r.list(probability.probabilities);
    return probability;
  }
  Shots shots;
  read_basis_states_bin(r, shots.basis_states);
  r.list(shots.count);
  shots.total = r.u64();
  return shots;
}

}  // namespace

std::size_t result_bin_size(const ResultData& result) {
  return bin::counted_size(result, write_result_fields);
}

ByteBuffer write_result_bin(const ResultData& result) {
  return bin::write_exact(result, write_result_fields);
}

Decoded<ResultData> read_result_bin(std::span<const uint8_t> input) {
  return bin::decode<ResultData>(input, [](bin::Reader& r) {
    ResultData result;
    r.list(result.future);
    const uint64_t dumps = r.u64();
    result.dump.reserve(r.reservation(dumps, kMinDump));
    for (uint64_t i = 0; i < dumps; ++i) result.dump.push_back(read_dump_data_bin(r));
    result.exec_time = r.f64();
    return result;
  });
}

}  // namespace plim::encoding
