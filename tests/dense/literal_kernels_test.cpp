// The in-place kernels against the rules written out index by index, bit
// for bit, on every kernel path this processor has.
#include <bit>
#include <cmath>
#include <limits>
#include <string>

#include "fenn/src/dense/dense_kernels.hpp"
#include "tests/dense/dense_fixture.hpp"
#include "tests/dense/literal_reference.hpp"
#include "tests/dense/random_program.hpp"

namespace dense_test {
namespace {

using fenn::dense::GateKind;
using fenn::dense::KernelPath;
using fenn::dense::PairLayout;
using fenn::dense::PreparedGate;

const char* name_of(KernelPath path) {
  switch (path) {
    case KernelPath::Avx512: return "AVX-512";
    case KernelPath::Avx2: return "AVX2";
    default: return "baseline";
  }
}

// The start of every case's trace: the path and the gate kind.
::testing::Message case_of(KernelPath path, int kind) {
  return ::testing::Message() << name_of(path) << ", kind " << kind;
}

std::vector<KernelPath> available_paths() {
  std::vector<KernelPath> paths;
  for (KernelPath p : {KernelPath::Baseline, KernelPath::Avx2, KernelPath::Avx512})
    if (fenn::dense::kernel_path_available(p)) paths.push_back(p);
  return paths;
}

// Restores the best path when a test ends.
struct PathGuard {
  ~PathGuard() { fenn::dense::set_active_kernel_path(fenn::dense::best_kernel_path()); }
};

// Every amplitude agrees with the rule's, by default bit for bit.
::testing::AssertionResult same_lists(std::span<const Amplitude> got, const std::vector<literal::C>& want,
                                      bool (*agrees)(Amplitude, Amplitude) = same_bits) {
  if (got.size() != want.size()) return ::testing::AssertionFailure() << "sizes differ";
  for (std::size_t i = 0; i < got.size(); ++i)
    if (!agrees(got[i], {want[i].re, want[i].im}))
      return ::testing::AssertionFailure() << "index " << i << ": (" << got[i].re << ", " << got[i].im
                                           << ") where the rule gives (" << want[i].re << ", "
                                           << want[i].im << ")";
  return ::testing::AssertionSuccess();
}

// A list of 2^qubits distinct amplitudes.
std::vector<Amplitude> random_list(unsigned qubits, uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> part(-2.0, 2.0);
  std::vector<Amplitude> list(uint64_t{1} << qubits);
  for (auto& a : list) a = {part(rng), part(rng)};
  return list;
}

TEST(DenseKernels, EveryPathThisProcessorHas) {
  // The machine's own paths, for the log: a path it lacks is not tested.
  std::string names;
  for (KernelPath p : available_paths()) names += std::string(name_of(p)) + " ";
  RecordProperty("kernel_paths", names);
  std::printf("kernel paths tested: %s\n", names.c_str());
  EXPECT_TRUE(fenn::dense::kernel_path_available(KernelPath::Baseline));
}

// Each gate kind on targets low and high, with and without controls, from
// one state full of distinct amplitudes, on every path.
TEST(DenseKernels, EveryGateKindOnEveryPathMatchesTheRule) {
  PathGuard guard;
  constexpr unsigned kQubits = 7;
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> part(-1.0, 1.0);
  const std::vector<std::vector<uint64_t>> control_sets = {{}, {3}, {0, 5}, {2, 6, 4}};
  for (KernelPath path : available_paths()) {
    fenn::dense::set_active_kernel_path(path);
    for (int kind = 0; kind < 9; ++kind) {
      for (uint64_t target : {0u, 1u, 2u, 4u, 6u}) {
        for (const auto& controls : control_sets) {
          if (std::find(controls.begin(), controls.end(), target) != controls.end()) continue;
          SCOPED_TRACE(case_of(path, kind) << ", target " << target << ", " << controls.size()
                                           << " controls");
          DenseSimulator sim = make(kQubits);
          literal::State expected(kQubits);
          // A state with distinct parts: a rotation on every qubit.
          for (unsigned q = 0; q < kQubits; ++q) {
            const double a = part(rng) * 3;
            sim.ry(a, q, {});
            expected.ry(a, q, {});
            sim.rz(a * 0.7, q, {});
            expected.rz(a * 0.7, q, {});
          }
          Op op;
          op.kind = static_cast<OpKind>(kind);
          op.target = target;
          op.controls = controls;
          op.angle = part(rng) * 7;
          for (auto& m : op.matrix) m = {part(rng), part(rng)};
          apply_gate_op(sim, op);
          apply_gate_op(expected, op);
          ASSERT_TRUE(same_lists(sim.state(), expected.list));
        }
      }
    }
  }
}

// The kernels that multiply or negate every index whose controls hold (one
// side of a diagonal gate inside a block), on every path: controls at the
// lowest positions take whole quads and keep only their lanes, and a range
// may start or end inside a quad.
TEST(DenseKernels, SingleIndexKernelsTouchOnlyTheirIndices) {
  PathGuard guard;
  constexpr unsigned kQubits = 6;
  const uint64_t control_sets[] = {0b0, 0b1, 0b10, 0b11, 0b100001, 0b1010, 0b110000};
  std::vector<Amplitude> start = random_list(kQubits, 5);
  start[3] = {-0.0, std::nan("")};
  for (KernelPath path : available_paths()) {
    for (GateKind kind : {GateKind::Multiply, GateKind::Negate}) {
      for (uint64_t controls : control_sets) {
        PreparedGate gate;
        gate.kind = kind;
        gate.f[0] = {0.6, -0.8};
        gate.layout = PairLayout::singles(kQubits, controls);
        const uint64_t count = gate.layout.pairs;
        for (const auto& [begin, end] : {std::pair<uint64_t, uint64_t>{0, count}, {1, count - 1}, {3, count},
                                         {4, count}, {8, count - 4}}) {
          if (begin >= end) continue;
          SCOPED_TRACE(case_of(path, static_cast<int>(kind))
                       << ", controls " << controls << ", range " << begin << ".." << end);
          std::vector<Amplitude> list = start;
          fenn::dense::apply_pairs(list.data(), gate, begin, end, path);
          std::vector<literal::C> want(start.size());
          for (uint64_t i = 0, j = 0; i < start.size(); ++i) {
            want[i] = {start[i].re, start[i].im};
            if ((i & controls) != controls) continue;
            if (j >= begin && j < end)
              want[i] = kind == GateKind::Negate ? literal::C{-start[i].re, -start[i].im}
                                                 : literal::mul({0.6, -0.8}, want[i]);
            ++j;
          }
          ASSERT_TRUE(same_lists(list, want));
        }
      }
    }
  }
}

// A pass cuts a gate's pairs into ranges, one per task: any cut gives the
// bits of one call over all pairs, whichever walk each range takes.
TEST(DenseKernels, PairRangesSplitAnywhereGiveTheSameBits) {
  PathGuard guard;
  constexpr unsigned kQubits = 8;
  const std::vector<Amplitude> start = random_list(kQubits, 9);
  const uint64_t control_sets[] = {0b0, 0b1000, 0b10000100, 0b11, 0b1000001};
  for (KernelPath path : available_paths()) {
    for (GateKind kind : {GateKind::Hadamard, GateKind::RX, GateKind::Unitary, GateKind::Multiply}) {
      for (unsigned target : {0u, 1u, 2u, 3u, 5u}) {
        for (uint64_t controls : control_sets) {
          if ((controls >> target) & 1) continue;
          PreparedGate gate;
          gate.kind = kind;
          gate.f = {Amplitude{0.6, -0.8}, Amplitude{0.1, 0.2}, Amplitude{-0.3, 0.4}, Amplitude{0.5, 0.0}};
          gate.r = {0.7, -0.7, 0.1};
          gate.layout = kind == GateKind::Multiply
                            ? PairLayout::singles(kQubits, controls | (uint64_t{1} << target))
                            : PairLayout(kQubits, target, controls);
          const uint64_t count = gate.layout.pairs;
          std::vector<Amplitude> whole = start;
          fenn::dense::apply_pairs(whole.data(), gate, 0, count, path);
          for (uint64_t cut : {uint64_t{1}, uint64_t{3}, uint64_t{4}, uint64_t{8}, count / 2 + 4}) {
            if (cut >= count) continue;
            SCOPED_TRACE(case_of(path, static_cast<int>(kind))
                         << ", target " << target << ", controls " << controls << ", cut at " << cut);
            std::vector<Amplitude> split = start;
            fenn::dense::apply_pairs(split.data(), gate, cut, count, path);
            fenn::dense::apply_pairs(split.data(), gate, 0, cut, path);
            for (std::size_t i = 0; i < split.size(); ++i) ASSERT_TRUE(same_bits(split[i], whole[i])) << i;
          }
        }
      }
    }
  }
}

// Two gates in one walk give the bits of two calls on every path that takes
// them (the quad paths); any other two are refused and leave the list alone.
TEST(DenseKernels, TwoGatesInOneWalkGiveTheBitsOfTwoCalls) {
  constexpr unsigned kQubits = 7;
  constexpr uint64_t kSize = uint64_t{1} << kQubits;
  std::vector<Amplitude> start = random_list(kQubits, 13);
  start[5] = {-0.0, std::numeric_limits<double>::infinity()};
  start[70] = {std::nan(""), 0.0};
  const auto gate_of = [](GateKind kind, unsigned target, uint64_t controls) {
    PreparedGate gate;
    gate.kind = kind;
    gate.f = {Amplitude{0.6, -0.8}, Amplitude{0.1, 0.2}, Amplitude{-0.3, 0.4}, Amplitude{0.5, 0.0}};
    gate.r = {0.7, -0.7, 0.1};
    gate.layout = kind == GateKind::Multiply || kind == GateKind::Negate
                      ? PairLayout::singles(kQubits, controls)
                      : PairLayout(kQubits, target, controls);
    return gate;
  };
  const GateKind joined[] = {GateKind::PauliX, GateKind::PauliY, GateKind::Hadamard,
                             GateKind::RX,     GateKind::RY,     GateKind::RZ};
  const std::pair<unsigned, unsigned> targets[] = {{2, 3}, {3, 2}, {2, 6}, {6, 4}, {5, 6}};
  for (KernelPath path : available_paths()) {
    for (GateKind one : joined) {
      for (GateKind two : joined) {
        for (const auto& [t1, t2] : targets) {
          SCOPED_TRACE(case_of(path, static_cast<int>(one))
                       << " then kind " << static_cast<int>(two) << ", targets " << t1 << ", " << t2);
          const PreparedGate first = gate_of(one, t1, 0), second = gate_of(two, t2, 0);
          std::vector<Amplitude> calls = start, walk = start;
          fenn::dense::apply_pairs(calls.data(), first, 0, first.layout.pairs, path);
          fenn::dense::apply_pairs(calls.data(), second, 0, second.layout.pairs, path);
          const bool took = fenn::dense::apply_two(walk.data(), kSize, first, second, path);
          ASSERT_EQ(took, path != KernelPath::Baseline);
          const std::vector<Amplitude>& want = took ? calls : start;
          for (std::size_t i = 0; i < walk.size(); ++i) ASSERT_TRUE(same_bits(walk[i], want[i])) << i;
        }
      }
    }
    // Pairs the walk does not take: a control, a target at position 0 or 1,
    // the same target twice, a kind that reads or writes one side only or
    // none, a unitary, a target among its controls, a list of another size.
    const PreparedGate h = gate_of(GateKind::Hadamard, 3, 0);
    const struct {
      const char* name;
      PreparedGate first, second;
      uint64_t size;
    } refused[] = {
        {"a control", gate_of(GateKind::RX, 2, 0b10000), h, kSize},
        {"a control on the second", h, gate_of(GateKind::PauliX, 5, 0b1), kSize},
        {"target 1", gate_of(GateKind::Hadamard, 1, 0), h, kSize},
        {"target 0", h, gate_of(GateKind::RY, 0, 0), kSize},
        {"one target", h, h, kSize},
        {"pauli_z", gate_of(GateKind::PauliZ, 4, 0), h, kSize},
        {"phase", h, gate_of(GateKind::Phase, 4, 0), kSize},
        {"collapse", gate_of(GateKind::Collapse, 4, 0), h, kSize},
        {"multiply", h, gate_of(GateKind::Multiply, 0, 0), kSize},
        {"unitary", gate_of(GateKind::Unitary, 4, 0), h, kSize},
        {"unitary second", h, gate_of(GateKind::Unitary, 5, 0), kSize},
        {"target among controls", gate_of(GateKind::PauliX, 4, 0b10000), h, kSize},
        {"another size", h, gate_of(GateKind::Hadamard, 5, 0), kSize / 2},
    };
    for (const auto& c : refused) {
      SCOPED_TRACE(::testing::Message() << name_of(path) << ", " << c.name);
      std::vector<Amplitude> list = start;
      EXPECT_FALSE(fenn::dense::apply_two(list.data(), c.size, c.first, c.second, path));
      for (std::size_t i = 0; i < list.size(); ++i) ASSERT_TRUE(same_bits(list[i], start[i])) << i;
    }
  }
}

// Parts that are not plain numbers: zeros of both signs, infinities, NaNs,
// subnormals and overflowing products, through every gate kind with angles
// that are not numbers either, on every path. Where the rule's part is a
// number the kernels give its bits; where it is a NaN they give a NaN (which
// of two NaNs meeting in one operation propagates is the processor's
// choice, so the bits of a NaN are not compared).
TEST(DenseKernels, SpecialValuesGiveTheRulesNumbersAndNaNs) {
  PathGuard guard;
  constexpr unsigned kQubits = 6;
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // Rotations on every qubit make a state of distinct complex parts,
  // controlled unitaries bring NaNs and infinities into some of them, and a
  // pauli_z turns zeros negative.
  struct Step {
    uint64_t target;
    std::vector<uint64_t> controls;
    std::array<Amplitude, 4> m;
    OpKind kind = OpKind::Unitary;
  };
  const std::vector<Step> prep = {
      {0, {}, {{{0.6, -0.0}, {-0.0, 0.8}, {0.8, -0.0}, {-0.6, -0.0}}}},
      {1, {}, {{{0.5, 0.5}, {0.5, -0.5}, {-0.5, 0.5}, {0.5, 0.5}}}},
      {2, {}, {{{1e300, 1e-300}, {0.5, -0.5}, {-0.0, 1e300}, {1e-310, 0.0}}}},
      {3, {}, {{{0.28, 0.96}, {0.0, -0.0}, {-0.0, 0.0}, {-0.96, 0.28}}}},
      {4, {1, 2}, {{{1.0, 0.0}, {nan, 0.0}, {0.0, 0.0}, {0.0, 1.0}}}},
      {5, {0}, {{{inf, 1.0}, {0.5, -0.0}, {0.25, 0.5}, {-0.0, 1.0}}}},
      {5, {}, {}, OpKind::PauliZ},
  };
  const double angles[] = {0.7, -0.0, 0.0, M_PI, nan, -nan, inf, -inf};
  const std::array<Amplitude, 4> odd = {{{nan, 1.0}, {inf, -0.0}, {-0.0, 0.0}, {1e300, -inf}}};
  const auto numbers_and_nans = [](Amplitude got, Amplitude want) {
    const auto part = [](double g, double w) {
      return std::isnan(w) ? std::isnan(g) : std::bit_cast<uint64_t>(g) == std::bit_cast<uint64_t>(w);
    };
    return part(got.re, want.re) && part(got.im, want.im);
  };
  const auto prepared = [&prep](auto& target) {
    for (const Step& step : prep) {
      Op op;
      op.kind = step.kind;
      op.target = step.target;
      op.controls = step.controls;
      op.matrix = step.m;
      apply_gate_op(target, op);
    }
  };
  literal::State rule(kQubits);
  prepared(rule);
  // The fixture holds every kind of part, and numbers too.
  std::size_t nans = 0, infs = 0, negative_zeros = 0, numbers = 0;
  for (const literal::C& a : rule.list)
    for (double x : {a.re, a.im}) {
      nans += std::isnan(x);
      infs += std::isinf(x);
      negative_zeros += x == 0.0 && std::signbit(x);
      numbers += std::isfinite(x) && x != 0.0;
    }
  ASSERT_GT(nans, 0u);
  ASSERT_GT(infs, 0u);
  ASSERT_GT(negative_zeros, 0u);
  ASSERT_GT(numbers, 8u);
  for (KernelPath path : available_paths()) {
    fenn::dense::set_active_kernel_path(path);
    for (int kind = 0; kind < 9; ++kind) {
      for (double angle : angles) {
        for (uint64_t target : {0u, 1u, 2u, 4u}) {
          const std::vector<uint64_t> control_sets[] = {{}, {(target + 3) % kQubits}};
          for (const std::vector<uint64_t>& controls : control_sets) {
            SCOPED_TRACE(case_of(path, kind) << ", angle " << angle << ", target " << target << ", "
                                             << controls.size() << " controls");
            Op op;
            op.kind = static_cast<OpKind>(kind);
            op.target = target;
            op.controls = controls;
            op.angle = angle;
            op.matrix = std::isnan(angle) ? odd : prep[target + 1].m;
            DenseSimulator sim = make(kQubits);
            prepared(sim);
            literal::State expected = rule;
            apply_gate_op(sim, op);
            apply_gate_op(expected, op);
            ASSERT_TRUE(same_lists(sim.state(), expected.list, numbers_and_nans));
          }
        }
      }
    }
  }
}

// Random programs of 1 to 14 qubits: every gate kind, controls, the target
// among its controls, measurements and pown, compared after every step on
// small registers and at the end on large ones.
TEST(DenseKernels, RandomProgramsMatchTheRulesBitForBit) {
  PathGuard guard;
  for (KernelPath path : available_paths()) {
    fenn::dense::set_active_kernel_path(path);
    for (unsigned qubits = 1; qubits <= 14; ++qubits) {
      for (uint64_t seed = 1; seed <= 2; ++seed) {
        SCOPED_TRACE(::testing::Message() << name_of(path) << ", " << qubits << " qubits, seed " << seed);
        support::RandomGates gates(seed * 100 + qubits, support::Unitaries::General);
        DenseSimulator sim = make_pown(qubits);
        literal::State expected(qubits);
        const int steps = qubits <= 10 ? 150 : 40;
        for (int step = 0; step < steps; ++step) {
          const Op op = random_op(gates, qubits, true);
          switch (op.kind) {
            case OpKind::Dump: continue;
            case OpKind::Measure: {
              const Collapse c =
                  draw_collapse(expected.probability_of_one(op.target), op.draw);
              sim.collapse(op.target, c.outcome, c.scale);
              expected.collapse(op.target, c.outcome, c.scale);
              break;
            }
            case OpKind::Pown: {
              const std::string args = std::to_string(op.base) + " " + std::to_string(op.modulus);
              ASSERT_TRUE(sim.plugin("pown", args, op.pown_targets).has_value()) << args;
              expected.pown(op.pown_targets, op.base, op.modulus);
              break;
            }
            default:
              apply_gate_op(sim, op);
              apply_gate_op(expected, op);
          }
          if (qubits <= 10) {
            ASSERT_TRUE(same_lists(sim.state(), expected.list)) << "step " << step;
          }
        }
        ASSERT_TRUE(same_lists(sim.state(), expected.list));
      }
    }
  }
}

// The measurement's halves: the sum reads the set half and matches the sum
// in index order where the pool does not split it; the whole measurement
// then collapses as the drawn outcome says.
TEST(DenseKernels, MeasurementSumAndCollapse) {
  DenseSimulator sim = make(6);
  literal::State expected(6);
  for (uint64_t q = 0; q < 6; ++q) {
    sim.ry(0.3 + static_cast<double>(q), q, {});
    expected.ry(0.3 + static_cast<double>(q), q, {});
  }
  EXPECT_EQ(sim.probability_of_one(4), expected.probability_of_one(4));
  const auto outcome = sim.measure(4);
  ASSERT_TRUE(outcome.has_value());
  const double p1 = expected.probability_of_one(4);
  expected.collapse(4, *outcome == 1, 1.0 / std::sqrt(*outcome == 1 ? p1 : 1.0 - p1));
  EXPECT_TRUE(same_lists(sim.state(), expected.list));
}

}  // namespace
}  // namespace dense_test
