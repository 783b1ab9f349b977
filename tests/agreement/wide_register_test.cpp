// Registers too wide for the dense simulator: random circuits over up to 50
// qubits that keep few basis states (at most ten gates that split a state,
// any number of gates that do not) and a pown call over a wide low register,
// run on the sparse simulator and the external back end, whose dumps agree.
#include <algorithm>
#include <numeric>
#include <random>
#include <sstream>

#include "tests/agreement/agreement_support.hpp"
#include "tests/support/reference_state.hpp"

namespace agreement_test {
namespace {

class WideCircuit {
 public:
  WideCircuit(unsigned qubits, uint64_t seed) : qubits_(qubits), rng_(seed), program_(qubits, 1) {
    for (unsigned q = 0; q < qubits; ++q) program_.add(plim::Alloc{false, q});
    plan_pown();
    for (std::size_t n = 0; n <= kGates; ++n) {
      if (n == pown_step_) add_pown();
      if (n < kGates) add_gate(n < pown_step_);
    }
    std::vector<uint64_t> listed(qubits_);
    std::iota(listed.begin(), listed.end(), uint64_t{0});
    std::shuffle(listed.begin(), listed.end(), rng_);
    program_.add(plim::Dump{listed, 0});
    program_.add(plim::End{plim::Halt{}});
  }

  const Program& program() const { return program_; }

 private:
  static constexpr std::size_t kGates = 150;
  static constexpr int kSplittingGates = 10;

  uint64_t qubit_at(unsigned position) const { return qubits_ - 1 - position; }
  uint64_t pick(uint64_t below) { return std::uniform_int_distribution<uint64_t>(0, below - 1)(rng_); }
  double angle() { return std::uniform_real_distribution<double>(-7.0, 7.0)(rng_); }

  // As in the small circuits: y starts at |1> and its upper bits take no
  // gate before the call, so images stay in range and never meet. Moduli of
  // up to 32 bits, so that pow_mod is the true power.
  void plan_pown() {
    const unsigned nbits = 2 + static_cast<unsigned>(pick(31));
    const unsigned k = nbits + 1 + static_cast<unsigned>(pick(qubits_ - nbits));
    const uint64_t low = (uint64_t{1} << (nbits - 1)) + 1, high = (uint64_t{1} << nbits) - 1;
    modulus_ = std::uniform_int_distribution<uint64_t>(low / 2, high / 2)(rng_) * 2 + 1;
    do {
      base_ = 2 + pick(uint64_t{1} << 32) % (uint64_t{1} << 31);
    } while (std::gcd(base_, modulus_) != 1);
    std::vector<unsigned> positions(k);
    std::iota(positions.begin(), positions.end(), 0u);
    std::shuffle(positions.begin(), positions.end(), rng_);
    for (unsigned p : positions) targets_.push_back(qubit_at(p));
    std::vector<unsigned> origin(k);
    std::iota(origin.begin(), origin.end(), 0u);
    for (auto [a, b] : reference::pown_swap_list(positions)) std::swap(origin[a], origin[b]);
    for (unsigned p = 1; p < nbits; ++p) y_upper_.push_back(qubit_at(origin[p]));
    program_.add(plim::Gate{plim::PauliX{}, qubit_at(origin[0]), {}});
    pown_step_ = pick(kGates + 1);
  }

  void add_pown() {
    program_.metrics.plugins.insert("pown");
    program_.add(plim::Plugin{"pown", targets_, std::to_string(base_) + " " + std::to_string(modulus_)});
  }

  void add_gate(bool keep_y) {
    uint64_t target;
    do {
      target = pick(qubits_);
    } while (keep_y && std::count(y_upper_.begin(), y_upper_.end(), target) != 0);
    std::vector<uint64_t> controls;
    for (uint64_t wanted = pick(3); controls.size() < wanted;) {
      const uint64_t c = pick(qubits_);
      if (c != target && std::count(controls.begin(), controls.end(), c) == 0) controls.push_back(c);
    }
    plim::QuantumGate gate;
    switch (pick(splitting_left_ > 0 ? 8 : 5)) {
      case 0: gate = plim::PauliX{}; break;
      case 1: gate = plim::PauliY{}; break;
      case 2: gate = plim::PauliZ{}; break;
      case 3: gate = plim::Phase{angle()}; break;
      case 4: gate = plim::RZ{angle()}; break;
      case 5: gate = plim::Hadamard{}; break;
      case 6: gate = plim::RX{angle()}; break;
      default: gate = plim::RY{angle()}; break;
    }
    if (gate.index() == 3 || gate.index() == 5 || gate.index() == 6) --splitting_left_;
    program_.add(plim::Gate{gate, target, controls});
  }

  unsigned qubits_;
  std::mt19937_64 rng_;
  Program program_;
  std::vector<uint64_t> targets_;
  std::vector<uint64_t> y_upper_;
  uint64_t base_ = 0;
  uint64_t modulus_ = 0;
  std::size_t pown_step_ = 0;
  int splitting_left_ = kSplittingGates;
};

TEST(BackEndsAgree, WideRegistersOnSparseAndExternal) {
  for (unsigned qubits : {33u, 40u, 50u}) {
    for (uint64_t seed = 1; seed <= 6; ++seed) {
      const uint64_t full_seed = seed * 7919 + qubits;
      std::ostringstream trace;
      trace << qubits << " qubits, seed " << full_seed;
      SCOPED_TRACE(trace.str());
      const WideCircuit circuit(qubits, full_seed);
      const Amplitudes sparse = first_dump<SparseSimulator>(circuit.program(), "sparse");
      const Amplitudes external = first_dump<ExternalBackend>(circuit.program(), "external");
      EXPECT_FALSE(external.empty());
      expect_same(sparse, external, 0, "sparse against external");
      if (::testing::Test::HasFailure()) return;  // one failing circuit is enough to read
    }
  }
}

}  // namespace
}  // namespace agreement_test
