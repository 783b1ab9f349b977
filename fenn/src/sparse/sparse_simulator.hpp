// The sparse simulator: a back end of the execution engine that keeps only the
// basis states a program has reached, keyed by basis state. Its memory and time
// grow with the number of stored amplitudes, not with 2^n, and it has no qubit
// limit. The key width is fixed per run; the state behind it is specialised
// for that width once at construction, and each operation dispatches to it
// once rather than per entry.
#pragma once

#include <cstdint>
#include <string_view>
#include <variant>

#include "fenn/src/quantum_execution/backend.hpp"
#include "fenn/src/sparse/basis_key.hpp"
#include "fenn/src/sparse/sparse_state.hpp"
#include "libplim/src/model.hpp"

namespace fenn::sparse {

class SparseSimulator {
 public:
  static constexpr bool supports_unitary = true;

  // UnsupportedPlugin for any plug-in name but "pown", before anything is
  // drawn or allocated; otherwise |0...0> with keys of qubit_simultaneous / 64
  // + 1 words and two map seeds drawn from this thread's generator.
  // UndefinedError when the keys that a start needs cannot be had
  // (runtime::can_get) or memory for the first key runs out.
  static FennResult<SparseSimulator> create(const plim::Metrics& metrics);

  // Gates. Memory exhausted while a map grows throws std::bad_alloc (a gate
  // has no way to report it); both maps are then left empty.
  void pauli_x(uint64_t target, Positions controls);
  void pauli_y(uint64_t target, Positions controls);
  void pauli_z(uint64_t target, Positions controls);
  void hadamard(uint64_t target, Positions controls);
  void phase(double angle, uint64_t target, Positions controls);
  void rx(double angle, uint64_t target, Positions controls);
  void ry(double angle, uint64_t target, Positions controls);
  void rz(double angle, uint64_t target, Positions controls);
  // The four numbers read row by row: (m0, m1) is the first row.
  void unitary(const Matrix& matrix, uint64_t target, Positions controls);

  // UndefinedError when p1 is not a number or infinite (the state is left as
  // it was) or when memory runs out.
  FennResult<uint8_t> measure(uint64_t position);

  // The pown plug-in; the name is not read. UnsupportedPlugin for a call
  // outside its contract: a target of k or more (nothing moved), malformed
  // numbers, a modulus of 0 reached with x >= 1, or a stored register value
  // whose image is 2^k or more or reaches past the register (the exchanges
  // before the transformation already applied). UndefinedError when memory
  // runs out.
  Status plugin(std::string_view name, std::string_view args, Positions targets);

  // Vector of every stored entry, zero amplitudes included, in map order.
  plim::DumpData dump(Positions positions);

  // Exchanges positions p and q in every stored basis state.
  void swap(uint64_t p, uint64_t q);

  uint64_t key_words() const noexcept { return words_; }
  std::size_t entry_count() const noexcept;

 private:
  using State = std::variant<SparseState<InlineKeys<1>>, SparseState<InlineKeys<2>>,
                             SparseState<InlineKeys<4>>, SparseState<InlineKeys<8>>,
                             SparseState<InlineKeys<16>>, SparseState<ArenaKeys>>;

  SparseSimulator(uint64_t qubits, uint64_t words, State state)
      : qubits_(qubits), words_(words), state_(std::move(state)) {}

  template <class Operation>
  decltype(auto) visit(Operation&& operation) {
    return std::visit(std::forward<Operation>(operation), state_);
  }

  uint64_t qubits_;
  uint64_t words_;
  State state_;
};

}  // namespace fenn::sparse
