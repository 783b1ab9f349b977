// Random circuits with controls and a pown call, run through the engine on
// the dense simulator, the sparse simulator and the external back end: every
// dump agrees between them and with the textbook reference, and so does the
// state left by a final measurement, given the outcome each back end drew. Unitary gates
// run on the two simulators only, with symmetric matrices so that the dense
// (column by column) and the sparse (row by row) reading are the same matrix.
#include <algorithm>
#include <numeric>
#include <optional>
#include <random>
#include <sstream>

#include "tests/quantum_execution/agreement.hpp"
#include "tests/support/random_gates.hpp"
#include "tests/support/reference_gates.hpp"

namespace agreement_test {
namespace {

// The register a pown call works on, in logical qubits.
struct PownPlan {
  std::vector<uint64_t> targets;   // logical qubits of positions 0..k-1, in random order
  std::vector<uint64_t> y_qubits;  // qubits that hold y once the exchanges are made, bit 0 first
  uint64_t base = 0;
  uint64_t modulus = 0;
  std::size_t step = 0;  // the call comes after this many gates
};

class RandomCircuit {
 public:
  RandomCircuit(unsigned qubits, uint64_t seed, bool with_unitary)
      : qubits_(qubits), gates_(seed), with_unitary_(with_unitary), program_(qubits, 2, 3), reference_(qubits) {
    // Allocated in order, qubit q takes position n-1-q.
    for (unsigned q = 0; q < qubits; ++q) program_.add(plim::Alloc{false, q});
    if (qubits >= 3) plan_pown();
    const std::size_t gates = 120;
    const std::size_t first_dump = std::uniform_int_distribution<std::size_t>(0, gates)(gates_.rng());
    for (std::size_t n = 0; n <= gates; ++n) {
      if (pown_ && n == pown_->step) add_pown();
      if (n == first_dump) add_dump(0);
      if (n < gates) add_gate(pown_ && n < pown_->step);
    }
    add_dump(1);
    add_measurement();
    program_.add(plim::End{plim::Halt{}});
  }

  const Program& program() const { return program_; }
  const Amplitudes& expected(std::size_t dump) const { return expected_[dump]; }
  // The last dump, taken after one qubit is measured with this outcome.
  const Amplitudes& expected_after(int64_t outcome) const { return collapsed_[outcome]; }
  double probability(int64_t outcome) const { return outcome == 1 ? p1_ : 1.0 - p1_; }

 private:
  uint64_t position(uint64_t qubit) const { return qubits_ - 1 - qubit; }
  unsigned pick(unsigned below) { return static_cast<unsigned>(gates_.pick(below)); }

  // A register of k low positions split into x and y, with an odd modulus
  // and a base coprime to it. y starts at |1> and no gate targets its upper
  // bits before the call, so y is 0 or 1, its images 0 or c with c nonzero:
  // every image stays in range and no two sources meet.
  void plan_pown() {
    PownPlan plan;
    const unsigned k = 3 + pick(qubits_ - 2);
    const unsigned nbits = 2 + pick(k - 1);
    const uint64_t low = (uint64_t{1} << (nbits - 1)) + 1, high = (uint64_t{1} << nbits) - 1;
    plan.modulus = std::uniform_int_distribution<uint64_t>(low / 2, high / 2)(gates_.rng()) * 2 + 1;
    do {
      plan.base = std::uniform_int_distribution<uint64_t>(2, 5000)(gates_.rng());
    } while (std::gcd(plan.base, plan.modulus) != 1);
    for (unsigned p = 0; p < k; ++p) plan.targets.push_back(qubits_ - 1 - p);
    std::shuffle(plan.targets.begin(), plan.targets.end(), gates_.rng());

    // Which position ends at each low position once the exchanges are made.
    std::vector<unsigned> target_positions;
    for (uint64_t t : plan.targets) target_positions.push_back(static_cast<unsigned>(position(t)));
    std::vector<unsigned> origin(k);
    std::iota(origin.begin(), origin.end(), 0u);
    for (auto [a, b] : reference::pown_swap_list(target_positions)) std::swap(origin[a], origin[b]);
    for (unsigned p = 0; p < nbits; ++p) plan.y_qubits.push_back(qubits_ - 1 - origin[p]);

    plan.step = std::uniform_int_distribution<std::size_t>(0, 120)(gates_.rng());
    pown_ = plan;
    add(plim::PauliX{}, plan.y_qubits[0], {});
  }

  void add_pown() {
    std::vector<unsigned> positions;
    for (uint64_t t : pown_->targets) positions.push_back(static_cast<unsigned>(position(t)));
    reference_.pown(positions, pown_->base, pown_->modulus);
    program_.metrics.plugins.insert("pown");
    program_.add(plim::Plugin{"pown", pown_->targets,
                              std::to_string(pown_->base) + " " + std::to_string(pown_->modulus)});
  }

  // All qubits in random order.
  std::vector<uint64_t> random_listing() {
    std::vector<uint64_t> listed(qubits_);
    std::iota(listed.begin(), listed.end(), uint64_t{0});
    std::shuffle(listed.begin(), listed.end(), gates_.rng());
    return listed;
  }

  // The entries of `state` keyed the way a dump of `listed` packs them (the
  // last listed qubit is bit 0).
  Amplitudes keyed(const reference::State& state, const std::vector<uint64_t>& listed) const {
    Amplitudes entries;
    for (std::size_t index = 0; index < state.size(); ++index) {
      uint64_t word = 0;
      for (uint64_t qubit : listed) word = (word << 1) | ((index >> position(qubit)) & 1);
      entries[word] = state[index];
    }
    return entries;
  }

  void add_dump(std::size_t output) {
    const std::vector<uint64_t> listed = random_listing();
    expected_[output] = keyed(reference_, listed);
    program_.add(plim::Dump{listed, output});
  }

  // One qubit measured into future 1, then dump 2; what that dump holds
  // depends on the outcome each back end draws.
  void add_measurement() {
    const uint64_t qubit = pick(qubits_);
    const unsigned at = static_cast<unsigned>(position(qubit));
    p1_ = reference_.probability_of_one(at);
    program_.add(plim::Measure{{qubit}, 1});
    const std::vector<uint64_t> listed = random_listing();
    for (unsigned outcome = 0; outcome < 2; ++outcome) {
      reference::State state = reference_;
      if (probability(outcome) > 0.0) state.collapse(at, outcome);
      collapsed_[outcome] = keyed(state, listed);
    }
    program_.add(plim::Dump{listed, 2});
  }

  void add(plim::QuantumGate gate, uint64_t target, std::vector<uint64_t> controls) {
    std::vector<unsigned> control_positions;
    for (uint64_t c : controls) control_positions.push_back(static_cast<unsigned>(position(c)));
    reference_.apply(reference::textbook(gate, reference::UnitaryReading::Rows),
                     static_cast<unsigned>(position(target)), control_positions);
    program_.add(plim::Gate{std::move(gate), target, std::move(controls)});
  }

  // Any gate with up to two distinct controls; before the pown call the
  // upper bits of its y register are never a target.
  void add_gate(bool keep_y) {
    std::vector<uint64_t> avoid;
    if (keep_y) avoid.assign(pown_->y_qubits.begin() + 1, pown_->y_qubits.end());
    support::RandomGate g = with_unitary_ ? gates_.next(qubits_, support::kEveryGate, avoid)
                                          : gates_.next(qubits_, support::kEveryGateButUnitary, avoid);
    add(std::move(g.gate), g.target, std::move(g.controls));
  }

  unsigned qubits_;
  support::RandomGates gates_;
  bool with_unitary_;
  Program program_;
  reference::State reference_;
  std::optional<PownPlan> pown_;
  Amplitudes expected_[2];
  Amplitudes collapsed_[2];
  double p1_ = 0.0;
};

// One back end's dumps and measured outcome; no dumps when the run failed.
struct BackEndRun {
  const char* name;
  std::vector<Amplitudes> dumps;
  int64_t outcome = 0;
};

template <class B>
BackEndRun run_on(const Program& program, const char* name) {
  BackEndRun run{name, {}};
  const auto result = program.run<B>();
  if (!result) {
    ADD_FAILURE() << name << " failed with code " << static_cast<int>(result.error());
    return run;
  }
  for (const auto& data : result->dump) run.dumps.push_back(as_map(data));
  run.outcome = result->future.at(1);
  return run;
}

struct Case {
  unsigned qubits;
  bool with_unitary;
};

std::string describe(const Case& c, uint64_t seed) {
  std::ostringstream text;
  text << c.qubits << " qubits, " << (c.with_unitary ? "with" : "without") << " Unitary, seed " << seed;
  return text.str();
}

TEST(BackEndsAgree, RandomCircuitsMatchEachOtherAndTheReference) {
  const Case cases[] = {{1, false},  {2, false}, {3, false}, {4, false}, {6, false}, {9, false},
                        {12, false}, {1, true},  {3, true},  {5, true},  {8, true},  {12, true}};
  for (const Case& c : cases) {
    for (uint64_t seed = 1; seed <= 8; ++seed) {
      const uint64_t full_seed = seed * 1000003 + c.qubits * 31 + c.with_unitary;
      SCOPED_TRACE(describe(c, full_seed));
      const RandomCircuit circuit(c.qubits, full_seed, c.with_unitary);
      const uint64_t states = uint64_t{1} << c.qubits;

      std::vector<BackEndRun> runs;
      runs.push_back(run_on<DenseSimulator>(circuit.program(), "dense"));
      runs.push_back(run_on<SparseSimulator>(circuit.program(), "sparse"));
      if (!c.with_unitary) runs.push_back(run_on<ExternalBackend>(circuit.program(), "external"));
      std::erase_if(runs, [](const BackEndRun& run) { return run.dumps.size() != 3; });

      for (std::size_t i = 0; i < runs.size(); ++i) {
        const BackEndRun& run = runs[i];
        ASSERT_TRUE(run.outcome == 0 || run.outcome == 1) << run.name << " measured " << run.outcome;
        EXPECT_GT(circuit.probability(run.outcome), 1e-9) << run.name << " drew an impossible outcome";
        for (std::size_t dump = 0; dump < 3; ++dump) {
          const Amplitudes& expected =
              dump < 2 ? circuit.expected(dump) : circuit.expected_after(run.outcome);
          expect_same(run.dumps[dump], expected, states,
                      std::string(run.name) + " against the reference, dump " + std::to_string(dump));
          for (std::size_t j = i + 1; j < runs.size(); ++j) {
            if (dump == 2 && runs[j].outcome != run.outcome) continue;
            expect_same(
                run.dumps[dump], runs[j].dumps[dump], states,
                std::string(run.name) + " against " + runs[j].name + ", dump " + std::to_string(dump));
          }
        }
      }
      if (::testing::Test::HasFailure()) return;  // one failing circuit is enough to read
    }
  }
}

}  // namespace
}  // namespace agreement_test
