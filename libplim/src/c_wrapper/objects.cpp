// Readers and destructors of the qubit, future and label handles.
#include <cstddef>
#include <cstring>

#include "libplim/src/error.hpp"
#include "libplim/src/object.hpp"
#include "plim.h"

namespace {

constexpr int kSuccess = 0;

// Qubit and Future both start with index, then pid, so one reader of each
// serves both kinds and is exported under both names.
static_assert(std::is_standard_layout_v<Qubit> && std::is_standard_layout_v<Future>);
static_assert(offsetof(Qubit, index) == 0 && offsetof(Future, index) == 0);
static_assert(offsetof(Qubit, pid) == offsetof(Future, pid));
constexpr std::size_t kPidOffset = offsetof(Qubit, pid);

uint64_t read_word(const void* handle, std::size_t offset) {
  uint64_t word;
  std::memcpy(&word, static_cast<const unsigned char*>(handle) + offset, sizeof word);
  return word;
}

}  // namespace

extern "C" int plim_qubit_index(Qubit* qubit, uint64_t* index) {
  *index = read_word(qubit, 0);
  return kSuccess;
}
extern "C" int plim_future_index(Future* future, uint64_t* index)
    __attribute__((alias("plim_qubit_index")));

extern "C" int plim_qubit_pid(Qubit* qubit, uint64_t* pid) {
  *pid = read_word(qubit, kPidOffset);
  return kSuccess;
}
extern "C" int plim_future_pid(Future* future, uint64_t* pid)
    __attribute__((alias("plim_qubit_pid")));

extern "C" int plim_qubit_delete(Qubit* qubit) {
  delete qubit;
  return kSuccess;
}

extern "C" int plim_qubit_allocated(Qubit* qubit, bool* allocated) {
  *allocated = qubit->allocated;
  return kSuccess;
}

extern "C" int plim_qubit_measured(Qubit* qubit, bool* measured) {
  *measured = qubit->measured;
  return kSuccess;
}

extern "C" int plim_future_delete(Future* future) {
  // Lets go of the handle's share; the process may still hold the cell.
  delete future;
  return kSuccess;
}

extern "C" int plim_future_value(Future* future, int64_t* value) {
  if (!future->value->has_value()) return plim::to_int(plim::PlimError::DataNotAvailable);
  *value = **future->value;
  return kSuccess;
}

extern "C" int plim_future_available(Future* future, bool* available) {
  *available = future->value->has_value();
  return kSuccess;
}

extern "C" int plim_label_delete(Label* label) {
  delete label;
  return kSuccess;
}

extern "C" int plim_label_index(Label* label, uint64_t* index) {
  *index = label->index;
  return kSuccess;
}

extern "C" int plim_label_pid(Label* label, uint64_t* pid) {
  *pid = label->pid;
  return kSuccess;
}
