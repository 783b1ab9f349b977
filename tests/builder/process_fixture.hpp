// A process under construction with helpers to make handles and read back
// what it appended.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "libplim/src/process.hpp"

namespace builder_test {

using Instructions = std::vector<plim::Instruction>;
using plim::PlimError;

constexpr uint64_t kPid = 7;
constexpr uint64_t kOtherPid = 8;

// The error of a refused operation, Success for a made handle.
template <class T>
PlimError error_of(const PlimResult<T>& made) {
  return made ? PlimError::Success : made.error();
}

// A flag switched off in otherwise default (all-on) features.
inline Features without(bool Features::*flag) {
  Features features;
  features.*flag = false;
  return features;
}

class ProcessTest : public ::testing::Test {
 public:
  Process process{kPid};

  std::unique_ptr<Qubit> qubit() {
    auto made = process.allocate_qubit(false);
    EXPECT_TRUE(made.has_value());
    return std::move(made).value();
  }
  std::unique_ptr<Future> future() {
    auto made = process.int_new(0);
    EXPECT_TRUE(made.has_value());
    return std::move(made).value();
  }
  std::unique_ptr<Label> label() {
    auto made = process.get_label();
    EXPECT_TRUE(made.has_value());
    return std::move(made).value();
  }
  const Instructions& code(std::size_t block) const {
    return process.blocks[block].block().instructions;
  }
  const Instructions& current_code() const { return code(process.current_block); }
  const plim::Instruction& last() const { return current_code().back(); }
  // Ends the current block so that every append is refused.
  void terminate() { ASSERT_EQ(process.append(plim::End{plim::Halt{}}), PlimError::Success); }
};

// A handle that claims another process.
inline Qubit foreign_qubit(uint64_t index = 0, bool allocated = true) {
  return Qubit{index, kOtherPid, allocated, false};
}
inline Future foreign_future(uint64_t index = 1) { return Future{index, kOtherPid, nullptr}; }
inline Label foreign_label(uint64_t index = 1) { return Label{index, kOtherPid}; }

}  // namespace builder_test
