// Readers and destructor of the dump handle. The lists are lent in place from
// the cell's current value; nothing is copied.
#include <cstddef>
#include <span>
#include <variant>
#include <vector>

#include "libplim/src/error.hpp"
#include "libplim/src/object.hpp"
#include "plim.h"

namespace {

constexpr int kSuccess = 0;
const int kNotAvailable = plim::to_int(plim::PlimError::DataNotAvailable);

// An empty list may hold no storage at all; the host still gets an
// address, from which it reads nothing.
template <class T>
const T* lend(std::span<const T> list) {
  static const T nothing{};
  return list.empty() ? &nothing : list.data();
}

const plim::BasisStates& basis_states(const plim::DumpData& data) {
  return std::visit([](const auto& payload) -> const auto& { return payload.basis_states; }, data);
}

// The list `field` of variant V, or DataNotAvailable for an empty cell or
// another variant.
template <class V, class T>
int lend_field(const Dump* dump, std::vector<T> V::*field, const T** out, size_t* size) {
  const auto& cell = *dump->value;
  const V* payload = cell ? std::get_if<V>(&*cell) : nullptr;
  if (payload == nullptr) return kNotAvailable;
  const std::vector<T>& list = payload->*field;
  *out = lend(std::span<const T>(list));
  *size = list.size();
  return kSuccess;
}

}  // namespace

extern "C" int plim_dump_delete(Dump* dump) {
  // Lets go of the handle's share; the process may still hold the cell.
  delete dump;
  return kSuccess;
}

extern "C" int plim_dump_available(Dump* dump, bool* available) {
  *available = dump->value->has_value();
  return kSuccess;
}

extern "C" int plim_dump_type(Dump* dump, int* type) {
  const auto& cell = *dump->value;
  if (!cell) return kNotAvailable;
  *type = static_cast<int>(cell->index());
  return kSuccess;
}

extern "C" int plim_dump_states_size(Dump* dump, size_t* size) {
  const auto& cell = *dump->value;
  if (!cell) return kNotAvailable;
  *size = basis_states(*cell).size();
  return kSuccess;
}

extern "C" int plim_dump_state(Dump* dump, size_t index, const uint64_t** state, size_t* size) {
  const auto& cell = *dump->value;
  if (!cell) return kNotAvailable;
  const auto& states = basis_states(*cell);
  // Outside the contract; answered as a state that is not there.
  if (index >= states.size()) return kNotAvailable;
  const plim::BasisStates::State words = states[index];
  *state = lend(words);
  *size = words.size();
  return kSuccess;
}

extern "C" int plim_dump_amplitudes_real(Dump* dump, const double** amplitudes, size_t* size) {
  return lend_field(dump, &plim::Vector::amplitudes_real, amplitudes, size);
}

extern "C" int plim_dump_amplitudes_imag(Dump* dump, const double** amplitudes, size_t* size) {
  return lend_field(dump, &plim::Vector::amplitudes_imag, amplitudes, size);
}

extern "C" int plim_dump_probabilities(Dump* dump, const double** probabilities, size_t* size) {
  return lend_field(dump, &plim::Probability::probabilities, probabilities, size);
}

extern "C" int plim_dump_count(Dump* dump, const uint32_t** count, size_t* size) {
  return lend_field(dump, &plim::Shots::count, count, size);
}

extern "C" int plim_dump_total(Dump* dump, uint64_t* total) {
  const auto& cell = *dump->value;
  const auto* shots = cell ? std::get_if<plim::Shots>(&*cell) : nullptr;
  if (shots == nullptr) return kNotAvailable;
  *total = shots->total;
  return kSuccess;
}
