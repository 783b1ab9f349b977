// The pown plug-in on the dense simulator: a scatter on the k low bits that
// keeps every bit above them.
#include <cmath>
#include <complex>

#include "fenn/src/bitwise/pown.hpp"
#include "tests/dense/dense_fixture.hpp"

namespace dense_test {
namespace {

using fenn::FennError;

// A product state with a distinct amplitude on every index.
DenseSimulator distinct_state(uint64_t qubits) {
  DenseSimulator sim = make_pown(qubits);
  for (uint64_t q = 0; q < qubits; ++q) {
    sim.ry(0.4 + 0.37 * static_cast<double>(q), q, {});
    sim.phase(0.1 * static_cast<double>(q + 1), q, {});
  }
  return sim;
}

TEST(DensePown, IndexTableOfBaseTwoModulusThree) {
  const fenn::bitwise::PownCall call{4, 2, 2, 3};
  const uint64_t expected[] = {0, 1, 2, 3, 4, 6, 4, 6, 8, 9, 10, 11, 12, 14, 12, 14};
  for (uint64_t j = 0; j < 16; ++j) EXPECT_EQ(fenn::bitwise::pown_index(j, call), expected[j]) << j;
}

TEST(DensePown, ScatterKeepsTheHighestSource) {
  // pown_index above: 4 and 6 meet at 4, 5 and 7 at 6, 12 and 14 at 12,
  // 13 and 15 at 14; indices 5, 7, 13 and 15 receive nothing.
  DenseSimulator sim = distinct_state(4);
  const auto old = amplitudes(sim);
  ASSERT_TRUE(sim.plugin("pown", "2 3", Positions{0, 1, 2, 3}).has_value());
  const int source[] = {0, 1, 2, 3, 6, -1, 7, -1, 8, 9, 10, 11, 14, -1, 15, -1};
  for (int d = 0; d < 16; ++d) {
    SCOPED_TRACE(d);
    const Amplitude expected = source[d] < 0 ? Amplitude{0.0, 0.0} : old[source[d]];
    EXPECT_EQ(sim.state()[d], expected);
  }
}

TEST(DensePown, BaseOneLeavesEveryStateUnchanged) {
  struct Case {
    uint64_t qubits;
    Positions targets;
    const char* args;
  };
  // Qubits above the register are in superposition too.
  const Case cases[] = {
      {3, {0, 1}, "1 3"},
      {5, {0, 1, 2}, "1 3"},
      {5, {2, 0, 1}, "1 3"},
      {6, {1, 0}, "1 2 extra"},
      {14, {0, 1, 2, 3, 4, 5, 6}, "+1 5"},
      {14, {3, 2, 0, 1}, "1 15"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    DenseSimulator sim = distinct_state(c.qubits);
    const auto before = amplitudes(sim);
    ASSERT_TRUE(sim.plugin("anything", c.args, c.targets).has_value());
    EXPECT_EQ(amplitudes(sim), before);
  }
}

TEST(DensePown, NoTargetsChangesNothing) {
  DenseSimulator sim = distinct_state(3);
  const auto before = amplitudes(sim);
  ASSERT_TRUE(sim.plugin("pown", "5 0", Positions{}).has_value());
  EXPECT_EQ(amplitudes(sim), before);
}

// The destination of the scatter exists only when the metrics name the
// plug-in; without it a call is refused before any exchange moves a qubit.
TEST(DensePown, RefusedWhenTheMetricsDoNotNameIt) {
  DenseSimulator sim = make(3);
  sim.hadamard(0, {});
  sim.pauli_x(2, {});
  const auto before = amplitudes(sim);
  const auto result = sim.plugin("pown", "1 3", Positions{1, 2, 0});
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error(), fenn::FennError::UnsupportedPlugin);
  EXPECT_EQ(amplitudes(sim), before);
}

TEST(DensePown, OrderFindingOfSevenModuloFifteen) {
  // Work register y on positions 0-3 holding 1, counting register x on
  // positions 4-7 in uniform superposition.
  DenseSimulator sim = make_pown(8);
  sim.pauli_x(0, {});
  for (uint64_t q = 4; q < 8; ++q) sim.hadamard(q, {});
  ASSERT_TRUE(sim.plugin("pown", "7 15", Positions{0, 1, 2, 3, 4, 5, 6, 7}).has_value());
  EXPECT_NEAR(norm(sim), 1.0, 1e-14);

  // |x>|7^x mod 15>, each with amplitude 1/4.
  uint64_t power = 1;
  for (uint64_t x = 0; x < 16; ++x) {
    EXPECT_NEAR(sim.state()[(x << 4) | power].re, 0.25, 1e-15) << x;
    power = power * 7 % 15;
  }

  // The counting register's distribution after an inverse Fourier
  // transform: peaks of 1/4 at the multiples of 16 / order = 4.
  const double pi = std::acos(-1.0);
  for (uint64_t k = 0; k < 16; ++k) {
    double probability = 0;
    for (uint64_t y = 0; y < 16; ++y) {
      std::complex<double> sum = 0;
      for (uint64_t x = 0; x < 16; ++x) {
        const Amplitude a = sim.state()[(x << 4) | y];
        sum += std::complex<double>(a.re, a.im) * std::polar(1.0, -2 * pi * double(x * k) / 16);
      }
      probability += std::norm(sum / 4.0);
    }
    EXPECT_NEAR(probability, k % 4 == 0 ? 0.25 : 0.0, 1e-12) << k;
  }
}

TEST(DensePown, CallsOutsideTheContractAreRefused) {
  struct Case {
    const char* name;
    uint64_t qubits;
    Positions targets;
    const char* args;
    bool state_kept;  // refused before any exchange
  };
  const Case cases[] = {
      {"target of k or more", 3, {2}, "1 3", true},
      {"one number", 3, {1, 0}, "7", false},
      {"empty second piece", 3, {1, 0}, "7  15", false},
      {"minus sign", 3, {1, 0}, "-7 15", false},
      {"empty text", 3, {1, 0}, "", false},
      {"number above 2^64 - 1", 3, {1, 0}, "18446744073709551616 3", false},
      {"modulus 0 reached with x >= 1", 3, {0, 1}, "3 0", true},
      {"image of 2^k or more", 4, {0, 1, 2, 3}, "5 7", true},
      {"image beyond the register", 4, {0, 1, 2, 3, 3}, "3 5", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DenseSimulator sim = distinct_state(c.qubits);
    const auto before = amplitudes(sim);
    auto status = sim.plugin("pown", c.args, c.targets);
    ASSERT_FALSE(status.has_value());
    EXPECT_EQ(status.error(), FennError::UnsupportedPlugin);
    if (c.state_kept) {
      EXPECT_EQ(amplitudes(sim), before);
    }
  }
}

TEST(DensePown, OnlyStatesThatHoldAmplitudeMustHaveAnImage) {
  // Targets [0..3], base 5, modulus 7: y is 3 bits, x is bit 3. With x = 1,
  // y = 7 would go to 35, beyond the register, but only |x=1>|y=1> holds
  // amplitude, and it goes to (1 << 3) | 5 = 13.
  DenseSimulator sim = make_pown(4);
  sim.pauli_x(0, {});
  sim.pauli_x(3, {});
  ASSERT_TRUE(sim.plugin("pown", "5 7", Positions{0, 1, 2, 3}).has_value());
  for (uint64_t i = 0; i < 16; ++i)
    EXPECT_EQ(sim.state()[i], (Amplitude{i == 13 ? 1.0 : 0.0, 0.0})) << i;
}

TEST(DensePown, FullRegisterOnTheWorkerPool) {
  // 14 qubits, every one in the register, checked against a sequential
  // scatter over increasing source indices.
  struct Case {
    const char* args;
    fenn::bitwise::PownCall call;
  };
  const Case cases[] = {
      {"2 3", {14, 2, 2, 3}},
      {"7 15", {14, 4, 7, 15}},
      // Products wrap at 64 bits: the power is not the true one.
      {"4294967311 5", {14, 3, 4294967311u, 5}},
      {"3 4294967311", {14, 33, 3, 4294967311u}},
  };
  const Positions targets{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    DenseSimulator sim = distinct_state(14);
    const auto old = amplitudes(sim);
    ASSERT_TRUE(sim.plugin("pown", c.args, targets).has_value());
    std::vector<Amplitude> expected(old.size());
    for (uint64_t i = 0; i < old.size(); ++i)
      expected[fenn::bitwise::pown_index(i, c.call)] = old[i];
    EXPECT_EQ(amplitudes(sim), expected);
  }
}

}  // namespace
}  // namespace dense_test
