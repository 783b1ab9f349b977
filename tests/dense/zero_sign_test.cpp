// Signs of zero parts: the rx factor, and amplitudes off the controls, which
// no gate may touch.
#include <functional>

#include "tests/dense/dense_fixture.hpp"

namespace dense_test {
namespace {

std::string show(Amplitude a) {
  char text[96];
  std::snprintf(text, sizeof text, "(%a, %a)", a.re, a.im);
  return text;
}

TEST(DenseZeroSigns, RxFactorIsMinusITimesTheSine) {
  struct Case {
    double angle;
    Amplitude zero, one;  // indices 0 and 1 after rx on |0>
  };
  const Case cases[] = {
      // cos(2) < 0: the -0.0 of -i * sin meets c * 0.0 = -0.0.
      {4.0, {-0.4161468365471424, -0.0}, {0.0, -0.9092974268256817}},
      {0.5, {std::cos(0.25), 0.0}, {0.0, -std::sin(0.25)}},
      // sin < 0: -0.0 * s is +0.0, and so is every zero part.
      {-4.0, {-0.4161468365471424, 0.0}, {0.0, 0.9092974268256817}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    DenseSimulator sim = make(1);
    sim.rx(c.angle, 0, {});
    EXPECT_TRUE(same_bits(sim.state()[0], c.zero)) << show(sim.state()[0]);
    EXPECT_TRUE(same_bits(sim.state()[1], c.one)) << show(sim.state()[1]);
  }
}

// X then Z on qubit 0 leaves (-1.0, -0.0) at index 1; a gate on qubit 1
// controlled by qubit 2, which is 0 everywhere, must leave it as it is.
TEST(DenseZeroSigns, GatesOffTheirControlsLeaveAmplitudesUntouched) {
  const fenn::Matrix m{{{0.6, 0.0}, {0.0, 0.8}, {0.0, 0.8}, {0.6, 0.0}}};
  const std::vector<std::pair<const char*, std::function<void(DenseSimulator&, Positions)>>> gates = {
      {"pauli_x", [](auto& d, Positions c) { d.pauli_x(1, c); }},
      {"pauli_y", [](auto& d, Positions c) { d.pauli_y(1, c); }},
      {"pauli_z", [](auto& d, Positions c) { d.pauli_z(1, c); }},
      {"hadamard", [](auto& d, Positions c) { d.hadamard(1, c); }},
      {"phase", [](auto& d, Positions c) { d.phase(0.7, 1, c); }},
      {"rx", [](auto& d, Positions c) { d.rx(0.7, 1, c); }},
      {"ry", [](auto& d, Positions c) { d.ry(0.7, 1, c); }},
      {"rz", [](auto& d, Positions c) { d.rz(0.7, 1, c); }},
      {"unitary", [m](auto& d, Positions c) { d.unitary(m, 1, c); }},
  };
  // 3 qubits inline, 14 on the worker pool; one control and two.
  for (uint64_t qubits : {3u, 14u}) {
    for (const Positions& controls : {Positions{2}, Positions{2, 0}}) {
      for (const auto& [name, gate] : gates) {
        SCOPED_TRACE(::testing::Message() << name << ", " << qubits << " qubits, "
                                          << controls.size() << " controls");
        DenseSimulator sim = make(qubits);
        sim.pauli_x(0, {});
        sim.pauli_z(0, {});
        const std::vector<Amplitude> before = amplitudes(sim);
        ASSERT_TRUE(same_bits(before[1], {-1.0, -0.0}));
        gate(sim, controls);
        const std::vector<Amplitude> after = amplitudes(sim);
        uint64_t mask = 0;
        for (uint64_t c : controls) mask |= uint64_t{1} << c;
        // Zero amplitudes on the controls may change sign; the others stay.
        for (std::size_t i = 0; i < after.size(); ++i) {
          if ((i & mask) == mask) continue;
          ASSERT_TRUE(same_bits(after[i], before[i])) << i << ": " << show(after[i]);
        }
      }
    }
  }
}

// On the controls the result is that of the full expression, zero signs
// included. Z has left (-0.0, -0.0) at index 7, so hadamard on qubit 1 under
// qubit 2 gives s * -0.0 + s * -0.0 = -0.0 at index 5 and
// s * -0.0 + -s * -0.0 = +0.0 at index 7.
TEST(DenseZeroSigns, GatesOnTheirControlsKeepTheirResults) {
  DenseSimulator sim = make(3);
  sim.pauli_x(0, {});
  sim.pauli_z(0, {});
  sim.pauli_x(2, {});
  sim.hadamard(1, Positions{2});
  const auto state = sim.state();
  constexpr double s = 0.7071067811865476;
  EXPECT_TRUE(same_bits(state[5], {-s, -0.0})) << show(state[5]);
  EXPECT_TRUE(same_bits(state[7], {-s, 0.0})) << show(state[7]);
}

}  // namespace
}  // namespace dense_test
