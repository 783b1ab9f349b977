// Registers too wide for the dense simulator: random circuits over up to 50
// qubits that keep few basis states (at most ten gates that split a state,
// any number of gates that do not) and a pown call over a wide low register,
// run on the sparse simulator and the external back end, whose dumps agree.
#include <algorithm>
#include <numeric>
#include <random>
#include <sstream>

#include "tests/quantum_execution/agreement.hpp"
#include "tests/support/random_gates.hpp"
#include "tests/support/reference_state.hpp"

namespace agreement_test {
namespace {

class WideCircuit {
 public:
  WideCircuit(unsigned qubits, uint64_t seed) : qubits_(qubits), gates_(seed), program_(qubits, 1, 1) {
    for (unsigned q = 0; q < qubits; ++q) program_.add(plim::Alloc{false, q});
    plan_pown();
    for (std::size_t n = 0; n <= kGates; ++n) {
      if (n == pown_step_) add_pown();
      if (n < kGates) add_gate(n < pown_step_);
    }
    std::vector<uint64_t> listed(qubits_);
    std::iota(listed.begin(), listed.end(), uint64_t{0});
    std::shuffle(listed.begin(), listed.end(), gates_.rng());
    program_.add(plim::Dump{listed, 0});
    program_.add(plim::End{plim::Halt{}});
  }

  const Program& program() const { return program_; }

 private:
  static constexpr std::size_t kGates = 150;
  static constexpr int kSplittingGates = 10;

  uint64_t qubit_at(unsigned position) const { return qubits_ - 1 - position; }
  uint64_t pick(uint64_t below) { return gates_.pick(below); }

  // As in the small circuits: y starts at |1> and its upper bits take no
  // gate before the call, so images stay in range and never meet. Moduli of
  // up to 32 bits, so that pow_mod is the true power.
  void plan_pown() {
    const unsigned nbits = 2 + static_cast<unsigned>(pick(31));
    const unsigned k = nbits + 1 + static_cast<unsigned>(pick(qubits_ - nbits));
    const uint64_t low = (uint64_t{1} << (nbits - 1)) + 1, high = (uint64_t{1} << nbits) - 1;
    modulus_ = std::uniform_int_distribution<uint64_t>(low / 2, high / 2)(gates_.rng()) * 2 + 1;
    do {
      base_ = 2 + pick(uint64_t{1} << 32) % (uint64_t{1} << 31);
    } while (std::gcd(base_, modulus_) != 1);
    std::vector<unsigned> positions(k);
    std::iota(positions.begin(), positions.end(), 0u);
    std::shuffle(positions.begin(), positions.end(), gates_.rng());
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

  // Only gates that split no state once the splitting ones are used up.
  void add_gate(bool keep_y) {
    const std::vector<uint64_t> avoid = keep_y ? y_upper_ : std::vector<uint64_t>{};
    support::RandomGate g = splitting_left_ > 0
                                ? gates_.next(qubits_, support::kEveryGateButUnitary, avoid)
                                : gates_.next(qubits_, support::kGatesThatSplitNoState, avoid);
    const std::size_t kind = g.gate.index();
    if (kind == 3 || kind == 5 || kind == 6) --splitting_left_;
    program_.add(plim::Gate{std::move(g.gate), g.target, std::move(g.controls)});
  }

  unsigned qubits_;
  support::RandomGates gates_;
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
