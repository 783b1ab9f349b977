// Random values of every model type survive a BIN round trip, and the
// writers' output has the size that the byte-layout tables give.
#include <gtest/gtest.h>

#include <set>

#include "encoding/round_trip.hpp"
#include "libplim/src/encoding/bin.hpp"
#include "libplim/src/encoding/serialize.hpp"

namespace {

using namespace plim;
using namespace plim::encoding;
using encoding_test::expect_round_trips;
using encoding_test::RandomValues;

// The BIN size of each value by the byte-layout tables of the format,
// worked out here independently of the writers.
std::size_t layout_size(const Instruction& instruction) {
  switch (instruction.index()) {
    case 0: case 1: return 13;  // Alloc, Free
    case 2: {
      const auto& gate = std::get<Gate>(instruction);
      const std::size_t payload = gate.gate.index() < 4 ? 0 : gate.gate.index() < 8 ? 8 : 64;
      return 24 + payload + 8 * gate.control.size();
    }
    case 3: return 20 + 8 * std::get<Measure>(instruction).qubits.size();
    case 4: {
      const auto& plugin = std::get<Plugin>(instruction);
      return 28 + plugin.name.size() + 8 * plugin.target.size() + plugin.args.size();
    }
    case 5: return 32;  // IntOp
    case 6: return 20;  // IntSet
    case 7: return 20 + 8 * std::get<Dump>(instruction).qubits.size();
    default: {
      const std::size_t end = std::get<End>(instruction).end.index();
      return end == 0 ? 16 : end == 1 ? 32 : 8;  // Jump, Branch, Halt
    }
  }
}

std::size_t layout_size(const std::vector<CodeBlock>& code) {
  std::size_t size = 8;
  for (const CodeBlock& block : code) {
    size += 24 + 16 * block.gate_count.size();
    for (const Instruction& instruction : block.instructions) size += layout_size(instruction);
  }
  return size;
}

std::size_t layout_size(const Metrics& metrics) {
  std::size_t size = 50 + (metrics.timeout ? 8 : 0);
  for (const std::string& name : metrics.plugins) size += 8 + name.size();
  return size;
}

std::size_t layout_size(const DumpData& dump) {
  std::size_t size = 4 + 8;
  std::visit([&](const auto& payload) {
    for (const auto state : payload.basis_states) size += 8 + 8 * state.size();
  }, dump);
  if (const auto* vector = std::get_if<Vector>(&dump))
    return size + 16 + 8 * (vector->amplitudes_real.size() + vector->amplitudes_imag.size());
  if (const auto* probability = std::get_if<Probability>(&dump))
    return size + 8 + 8 * probability->probabilities.size();
  return size + 8 + 4 * std::get<Shots>(dump).count.size() + 8;
}

std::size_t layout_size(const ResultData& result) {
  std::size_t size = 8 + 8 * result.future.size() + 8 + 8;
  for (const DumpData& dump : result.dump) size += layout_size(dump);
  return size;
}

// A BIN writer whose output has the size of the layout tables, in a buffer
// allocated once at that size.
template <class Write>
auto exact(Write write) {
  return [=](const auto& value) {
    ByteBuffer bytes = write(value);
    EXPECT_EQ(bytes.size(), layout_size(value));
    EXPECT_EQ(bytes.capacity(), bytes.size());
    return bytes;
  };
}

TEST(BinRoundTrip, QuantumCode) {
  std::set<std::size_t> instruction_kinds, gate_kinds;
  auto make = [&](RandomValues& random) {
    std::vector<CodeBlock> code = random.code();
    for (const CodeBlock& block : code)
      for (const Instruction& instruction : block.instructions) {
        instruction_kinds.insert(instruction.index());
        if (const auto* gate = std::get_if<Gate>(&instruction)) gate_kinds.insert(gate->gate.index());
      }
    return code;
  };
  expect_round_trips(
      false, make,
      exact([](const auto& code) { return write_quantum_code_bin(block_references(code)); }),
      read_quantum_code_bin);
  EXPECT_EQ(instruction_kinds.size(), kInstructionVariants);
  EXPECT_EQ(gate_kinds.size(), kGateVariants);
}

TEST(BinRoundTrip, Metrics) {
  expect_round_trips(
      false, [](RandomValues& random) { return random.metrics(); },
      exact([](const Metrics& m) { return write_metrics_bin(m); }),
      read_metrics_bin);
}

TEST(BinRoundTrip, Result) {
  std::set<std::size_t> dump_kinds;
  auto make = [&](RandomValues& random) {
    ResultData result = random.result();
    for (const DumpData& dump : result.dump) dump_kinds.insert(dump.index());
    return result;
  };
  expect_round_trips(false, make,
                     exact([](const ResultData& r) { return write_result_bin(r); }),
                     read_result_bin);
  EXPECT_EQ(dump_kinds.size(), std::variant_size_v<DumpData>);
}

}  // namespace
