#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/sparse/sparse_support.hpp"

using namespace sparse_test;
using plim::Complex;

namespace {

constexpr double kH = 0.7071067811865476;

struct Expected {
  Words state;
  Complex amplitude;
};

// The dump equals `expected` exactly, signs of zeros included.
void expect_dump(SparseSimulator& simulator, const Positions& positions,
                 const std::vector<Expected>& expected) {
  const auto entries = dump_map(simulator, positions);
  ASSERT_EQ(entries.size(), expected.size());
  for (const auto& e : expected) {
    SCOPED_TRACE(::testing::PrintToString(e.state));
    auto found = entries.find(e.state);
    ASSERT_NE(found, entries.end());
    EXPECT_TRUE(same_bits(found->second.re, e.amplitude.re)) << found->second.re;
    EXPECT_TRUE(same_bits(found->second.im, e.amplitude.im)) << found->second.im;
  }
}

// Every gate kind on position 0, each controlled by position 1.
void every_gate_on_0_under_1(SparseSimulator& s) {
  const std::vector<uint64_t> control{1};
  s.pauli_x(0, control);
  s.pauli_y(0, control);
  s.pauli_z(0, control);
  s.hadamard(0, control);
  s.phase(0.3, 0, control);
  s.rx(0.3, 0, control);
  s.ry(0.3, 0, control);
  s.rz(0.3, 0, control);
  s.unitary({Complex{0, 1}, Complex{2, 0}, Complex{3, 0}, Complex{0, 4}}, 0, control);
}

}  // namespace

TEST(SparseDump, SixtyFiveQubitsPackMostSignificantWordFirst) {
  auto simulator = make_simulator(65);
  simulator.pauli_x(64, {});
  Positions first_64;
  first_64.push_back(64);
  for (uint64_t p = 0; p < 64; ++p) first_64.push_back(p);
  expect_dump(simulator, first_64, {{{1, 0}, {1.0, 0.0}}});
  expect_dump(simulator, range(0, 65), {{{0, 1}, {1.0, 0.0}}});
}

TEST(SparseDump, BitOrderFollowsTheListedPositions) {
  auto simulator = make_simulator(200);
  simulator.pauli_x(3, {});
  simulator.pauli_x(130, {});
  expect_dump(simulator, {130, 3, 7}, {{{0b110}, {1.0, 0.0}}});
  expect_dump(simulator, {7, 3, 130}, {{{0b011}, {1.0, 0.0}}});
  expect_dump(simulator, {3, 3}, {{{0b11}, {1.0, 0.0}}});
}

// Each case runs a short program on |0...0> and compares the whole dump, bit
// for bit, with the rule's own factors.
TEST(SparseGates, RulesOnSmallStates) {
  static constexpr double inf = std::numeric_limits<double>::infinity();
  static constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* name;
    std::function<void(SparseSimulator&)> program;
    std::vector<Expected> expected;  // over positions [1, 0]
  };
  const std::vector<Case> cases = {
      {"hadamard", [](auto& s) { s.hadamard(0, {}); }, {{{0}, {kH, 0.0}}, {{1}, {kH, 0.0}}}},
      {"two hadamards leave 1.0000000000000002",
       [](auto& s) {
         s.hadamard(0, {});
         s.hadamard(0, {});
       },
       {{{0}, {1.0000000000000002, 0.0}}}},
      {"rx(0) keeps a zero entry", [](auto& s) { s.rx(0.0, 0, {}); },
       {{{0}, {1.0, 0.0}}, {{1}, {0.0, -0.0}}}},
      {"pauli_z negates both parts of a zero",
       [](auto& s) {
         s.rx(0.0, 0, {});
         s.pauli_z(0, {});
       },
       {{{0}, {1.0, 0.0}}, {{1}, {-0.0, 0.0}}}},
      {"pauli_y from 0 gives +i", [](auto& s) { s.pauli_y(0, {}); }, {{{1}, {0.0, 1.0}}}},
      {"pauli_y from 1 gives -i times a",
       [](auto& s) {
         s.pauli_x(0, {});
         s.pauli_y(0, {});
       },
       {{{0}, {0.0, -1.0}}}},  // -0.0 * 1 - (-1.0 * 0.0) is 0.0
      {"pauli_y twice: -i holds a negative zero",
       [](auto& s) {
         s.pauli_y(0, {});
         s.pauli_y(0, {});
       },
       {{{0}, {1.0, -0.0}}}},
      {"ry(pi) from 0", [](auto& s) { s.ry(M_PI, 0, {}); },
       {{{0}, {std::cos(M_PI * 0.5), 0.0}}, {{1}, {1.0, 0.0}}}},
      {"ry(pi) from 1 takes (-s, -0.0)",
       [](auto& s) {
         s.pauli_x(0, {});
         s.ry(M_PI, 0, {});
       },
       {{{0}, {-1.0, -0.0}}, {{1}, {std::cos(M_PI * 0.5), 0.0}}}},
      {"rx(pi/2)", [](auto& s) { s.rx(M_PI / 2, 0, {}); },
       {{{0}, {std::cos(M_PI / 4), 0.0}}, {{1}, {0.0, -std::sin(M_PI / 4)}}}},
      {"phase on 1",
       [](auto& s) {
         s.pauli_x(0, {});
         s.phase(1.0, 0, {});
       },
       {{{1}, {std::cos(1.0), std::sin(1.0)}}}},
      {"phase leaves 0 alone", [](auto& s) { s.phase(inf, 0, {}); }, {{{0}, {1.0, 0.0}}}},
      {"phase by an infinite angle gives not a number",
       [](auto& s) {
         s.pauli_x(0, {});
         s.phase(inf, 0, {});
       },
       {{{1}, {nan, nan}}}},
      {"rz on 0 takes e^{-i theta/2}", [](auto& s) { s.rz(1.0, 0, {}); },
       {{{0}, {std::cos(-0.5), std::sin(-0.5)}}}},
      {"rz on 1 takes e^{+i theta/2}",
       [](auto& s) {
         s.pauli_x(0, {});
         s.rz(1.0, 0, {});
       },
       {{{1}, {std::cos(0.5), std::sin(0.5)}}}},
      {"rz by not a number", [](auto& s) { s.rz(nan, 0, {}); }, {{{0}, {nan, nan}}}},
      {"unitary reads rows: m2 maps 0 to 1",
       [](auto& s) { s.unitary({Complex{}, Complex{}, Complex{1, 0}, Complex{}}, 0, {}); },
       {{{1}, {1.0, 0.0}}, {{0}, {0.0, 0.0}}}},
      {"unitary with only m1 leaves two zeros",
       [](auto& s) { s.unitary({Complex{}, Complex{1, 0}, Complex{}, Complex{}}, 0, {}); },
       {{{1}, {0.0, 0.0}}, {{0}, {0.0, 0.0}}}},
      {"controlled gates act where the control is 1",
       [](auto& s) {
         s.pauli_x(1, {});
         s.hadamard(0, std::vector<uint64_t>{1});
       },
       {{{2}, {kH, 0.0}}, {{3}, {kH, 0.0}}}},
      {"a control that is 0 everywhere changes nothing",
       [](auto& s) {
         s.hadamard(0, {});
         every_gate_on_0_under_1(s);
       },
       {{{0}, {kH, 0.0}}, {{1}, {kH, 0.0}}}},
      {"a control that is 0 everywhere keeps negative zeros",
       [](auto& s) {
         s.pauli_x(0, {});
         s.pauli_z(0, {});
         every_gate_on_0_under_1(s);
       },
       {{{1}, {-1.0, -0.0}}}},
      {"rx(4) from 0: the kept factor (c, 0.0) gives +0.0",
       [](auto& s) { s.rx(4.0, 0, {}); },
       {{{0}, {-0.4161468365471424, 0.0}}, {{1}, {0.0, -0.9092974268256817}}}},
  };
  // The same programs on every key representation.
  for (uint64_t qubits : {2u, 64u, 130u, 300u, 1000u, 1100u}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " on " + std::to_string(qubits) + " qubits");
      auto simulator = make_simulator(qubits);
      c.program(simulator);
      expect_dump(simulator, {1, 0}, c.expected);
    }
  }
}

TEST(SparseGates, EightEqualAmplitudesInAnyOrder) {
  for (int run = 0; run < 2; ++run) {
    auto simulator = make_simulator(3);
    for (uint64_t q : {0, 1, 2}) simulator.hadamard(q, {});
    std::vector<Expected> expected;
    for (uint64_t state = 0; state < 8; ++state) expected.push_back({{state}, {0.35355339059327384, 0.0}});
    expect_dump(simulator, {0, 1, 2}, expected);
  }
}

TEST(SparseSwap, ExchangesPositionsAcrossWords) {
  auto simulator = make_simulator(200);
  simulator.pauli_x(5, {});
  simulator.hadamard(150, {});
  simulator.swap(5, 150);
  expect_dump(simulator, {150, 5}, {{{0b10}, {kH, 0.0}}, {{0b11}, {kH, 0.0}}});
  simulator.swap(7, 7);
  expect_dump(simulator, {150, 5}, {{{0b10}, {kH, 0.0}}, {{0b11}, {kH, 0.0}}});
}

// A gate whose target is among its controls: order-independent result.
TEST(SparseGates, TargetAmongControlsIsDeterministic) {
  std::map<Words, Complex> first;
  for (int run = 0; run < 8; ++run) {
    auto simulator = make_simulator(4);
    for (uint64_t q : {0, 1, 2}) simulator.hadamard(q, {});
    simulator.pauli_x(0, std::vector<uint64_t>{0, 1});
    simulator.hadamard(1, std::vector<uint64_t>{1});
    const auto entries = dump_map(simulator, {3, 2, 1, 0});
    if (run == 0) first = entries;
    else EXPECT_EQ(entries, first);
  }
}
