// pown calls on a state where every basis state holds amplitude: images
// that collide (a modulus of 1 sends every y to 0 once x >= 1; base 2 and
// modulus 3 send 5 and 7 to 6), where the three back ends and the reference
// all keep the higher source and a source without amplitude moves nothing,
// and calls that move nothing at all.
#include <string>
#include <vector>

#include "tests/quantum_execution/agreement.hpp"
#include "tests/support/reference_state.hpp"

namespace agreement_test {
namespace {

constexpr unsigned kQubits = 4;

// Allocated in order, qubit q takes position n-1-q.
uint64_t qubit_at(unsigned position) { return kQubits - 1 - position; }

struct Case {
  const char* name;
  std::vector<double> ry_angles;  // per position; 0 leaves the position at |0>
  std::vector<unsigned> target_positions;
  uint64_t base;
  uint64_t modulus;
};

TEST(BackEndsAgree, PownOnAStateThatHoldsEveryBasisState) {
  const std::vector<double> spread{0.7, 1.9, 2.5, 0.4};
  const Case cases[] = {
      {"every source holds amplitude", spread, {0, 1}, 7, 1},
      {"the higher colliding source is empty", {0.0, 1.9, 2.5, 0.4}, {0, 1}, 7, 1},
      {"exchanges around the call", spread, {2, 0, 1}, 5, 1},
      {"unreduced products over the whole register", spread, {0, 1, 2, 3}, 2, 3},
      {"no targets", spread, {}, 7, 15},
      {"modulus wider than the register", spread, {0, 1}, 7, 15},
      {"base 1", spread, {0, 1, 2, 3}, 1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Program program(kQubits, 1, 1);
    program.metrics.plugins.insert("pown");
    reference::State expected(kQubits);
    for (unsigned q = 0; q < kQubits; ++q) program.add(plim::Alloc{false, q});
    for (unsigned p = 0; p < kQubits; ++p) {
      if (c.ry_angles[p] == 0.0) continue;
      program.add(plim::Gate{plim::RY{c.ry_angles[p]}, qubit_at(p), {}});
      expected.apply(reference::ry(c.ry_angles[p]), p);
    }
    std::vector<uint64_t> targets;
    for (unsigned p : c.target_positions) targets.push_back(qubit_at(p));
    program.add(plim::Plugin{"pown", targets, std::to_string(c.base) + " " + std::to_string(c.modulus)});
    expected.pown(c.target_positions, c.base, c.modulus);
    program.add(plim::Dump{{0, 1, 2, 3}, 0});  // the word is the position index
    program.add(plim::End{plim::Halt{}});

    Amplitudes reference_entries;
    for (std::size_t i = 0; i < expected.size(); ++i) reference_entries[i] = expected[i];
    const uint64_t states = uint64_t{1} << kQubits;
    expect_same(first_dump<DenseSimulator>(program, "dense"), reference_entries, states, "dense");
    expect_same(first_dump<SparseSimulator>(program, "sparse"), reference_entries, states, "sparse");
    expect_same(first_dump<ExternalBackend>(program, "external"), reference_entries, states, "external");
  }
}

// The reference derives the exchanges the way the plug-in does.
TEST(ReferencePown, SwapListsOfKnownTargets) {
  using Swaps = std::vector<std::pair<unsigned, unsigned>>;
  const std::pair<std::vector<unsigned>, Swaps> cases[] = {
      {{0, 1, 2}, {}},
      {{1, 0}, {{0, 0}}},
      {{2, 0, 1}, {{0, 0}, {1, 1}, {2, 0}}},
      {{1, 2, 0}, {{0, 0}, {1, 0}}},
      {{3, 2, 1, 0}, {{0, 0}, {1, 1}}},
      {{0, 0}, {{1, 1}}},
  };
  for (const auto& [targets, swaps] : cases) EXPECT_EQ(reference::pown_swap_list(targets), swaps);
}

}  // namespace
}  // namespace agreement_test
