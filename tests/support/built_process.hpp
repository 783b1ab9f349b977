// A process built through the builder's own operations, as a host builds
// one: qubits allocated in order, gates under pushed controls, measurements,
// dumps and plug-in calls, then prepared.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "libplim/src/process.hpp"

namespace support {

class BuiltProcess {
 public:
  // `count` clean qubits; qubit q is allocated q-th, so a run gives it
  // position count-1-q.
  explicit BuiltProcess(unsigned count, uint64_t pid = 1) : process_(std::make_unique<Process>(pid)) {
    for (unsigned q = 0; q < count; ++q) {
      auto made = process_->allocate_qubit(false);
      EXPECT_TRUE(made.has_value());
      qubits_.push_back(std::move(made).value());
    }
  }

  Process& process() { return *process_; }

  // The handles of the listed qubits; every qubit when none are listed.
  std::vector<Qubit*> handles(const std::vector<unsigned>& listed = {}) const {
    std::vector<Qubit*> chosen;
    if (listed.empty()) {
      for (const auto& q : qubits_) chosen.push_back(q.get());
    }
    for (unsigned q : listed) chosen.push_back(qubits_.at(q).get());
    return chosen;
  }

  void gate(plim::QuantumGate gate, unsigned target, const std::vector<unsigned>& controls = {}) {
    if (!controls.empty()) {
      ASSERT_EQ(process_->ctrl_push(handles(controls)), plim::PlimError::Success);
    }
    ASSERT_EQ(process_->apply_gate(std::move(gate), *qubits_.at(target)), plim::PlimError::Success);
    if (!controls.empty()) {
      ASSERT_EQ(process_->ctrl_pop(), plim::PlimError::Success);
    }
  }

  // H on the first qubit, then a CNOT from each qubit to the next.
  void entangle() {
    gate(plim::Hadamard{}, 0);
    for (unsigned q = 0; q + 1 < qubits_.size(); ++q) gate(plim::PauliX{}, q + 1, {q});
  }

  std::unique_ptr<Future> measure(const std::vector<unsigned>& listed = {}) {
    auto made = process_->measure(handles(listed));
    EXPECT_TRUE(made.has_value());
    return made ? std::move(made).value() : nullptr;
  }

  std::unique_ptr<Dump> dump(const std::vector<unsigned>& listed = {}) {
    auto made = process_->dump(handles(listed));
    EXPECT_TRUE(made.has_value());
    return made ? std::move(made).value() : nullptr;
  }

  std::unique_ptr<Future> constant(int64_t value) {
    auto made = process_->int_new(value);
    EXPECT_TRUE(made.has_value());
    return made ? std::move(made).value() : nullptr;
  }

  // Registers the name in the process's features first, as a host does
  // before it calls a plug-in.
  void plugin(const std::string& name, const std::string& args, const std::vector<unsigned>& targets) {
    Features features = process_->features;
    features.registered_plugins.insert(name);
    process_->features = std::move(features);
    ASSERT_EQ(process_->apply_plugin(name, args, handles(targets)), plim::PlimError::Success);
  }

  void prepare() { ASSERT_EQ(process_->prepare_for_execution(), plim::PlimError::Success); }

 private:
  std::unique_ptr<Process> process_;
  std::vector<std::unique_ptr<Qubit>> qubits_;
};

}  // namespace support
