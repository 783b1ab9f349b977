// Owning wrappers for what the C interface hands out, so that every test
// releases its objects through the library's own delete functions.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "libplim/src/object.hpp"
#include "libplim/src/process.hpp"
#include "plim.h"

namespace builder_test {

template <auto Delete>
struct CDeleter {
  template <class T>
  void operator()(T* object) const {
    EXPECT_EQ(Delete(object), 0);
  }
};

using ProcessPtr = std::unique_ptr<Process, CDeleter<plim_process_delete>>;
using FeaturesPtr = std::unique_ptr<Features, CDeleter<plim_features_delete>>;
using QubitPtr = std::unique_ptr<Qubit, CDeleter<plim_qubit_delete>>;
using FuturePtr = std::unique_ptr<Future, CDeleter<plim_future_delete>>;
using LabelPtr = std::unique_ptr<Label, CDeleter<plim_label_delete>>;
using DumpPtr = std::unique_ptr<Dump, CDeleter<plim_dump_delete>>;

inline ProcessPtr new_process(uint64_t pid) {
  Process* made = nullptr;
  EXPECT_EQ(plim_process_new(pid, &made), 0);
  return ProcessPtr(made);
}

inline QubitPtr allocate(Process* process) {
  Qubit* made = nullptr;
  EXPECT_EQ(plim_process_allocate_qubit(process, false, &made), 0);
  return QubitPtr(made);
}

inline FuturePtr measure(Process* process, Qubit* qubit) {
  Future* made = nullptr;
  EXPECT_EQ(plim_process_measure(process, &qubit, 1, &made), 0);
  return FuturePtr(made);
}

inline DumpPtr dump(Process* process, Qubit* qubit) {
  Dump* made = nullptr;
  EXPECT_EQ(plim_process_dump(process, &qubit, 1, &made), 0);
  return DumpPtr(made);
}

inline LabelPtr label(Process* process) {
  Label* made = nullptr;
  EXPECT_EQ(plim_process_get_label(process, &made), 0);
  return LabelPtr(made);
}

}  // namespace builder_test
