// The state-vector back end: every one of the 2^n amplitudes of at most 32
// qubits, in two lists that alternate as source and destination of each
// pass, so that no pass ever allocates or copies a list.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "fenn/src/dense/amplitude_list.hpp"
#include "fenn/src/quantum_execution/backend.hpp"
#include "libplim/src/model.hpp"

namespace fenn::dense {

inline constexpr uint64_t kMaxQubits = 32;

class DenseSimulator {
 public:
  static constexpr bool supports_unitary = true;

  // TooManyQubits above 32 qubits and when the lists cannot be allocated;
  // UnsupportedPlugin for any plug-in name other than "pown". |0...0>.
  static FennResult<DenseSimulator> create(const plim::Metrics& metrics);

  void pauli_x(uint64_t target, Positions controls);
  void pauli_y(uint64_t target, Positions controls);
  void pauli_z(uint64_t target, Positions controls);
  void hadamard(uint64_t target, Positions controls);
  void phase(double angle, uint64_t target, Positions controls);
  void rx(double angle, uint64_t target, Positions controls);
  void ry(double angle, uint64_t target, Positions controls);
  void rz(double angle, uint64_t target, Positions controls);
  // m0..m3 in stored order, read column by column: (m0, m1) is the first column.
  void unitary(const Matrix& matrix, uint64_t target, Positions controls);

  // UndefinedError when the weights cannot be sampled (NaN or infinite p1);
  // the state is then left as it was.
  FennResult<uint8_t> measure(uint64_t position);

  // The pown steps; the name is not read. UnsupportedPlugin outside the
  // call's contract (see dense_pown.cpp).
  Status plugin(std::string_view name, std::string_view args, Positions targets);

  // Every amplitude above 1e-15 in magnitude, in index order.
  plim::DumpData dump(Positions positions) const;

  // Exchanges the qubits at positions a and b (one pass, also when a == b).
  void swap(uint64_t a, uint64_t b);

  uint64_t qubits() const noexcept { return qubits_; }
  uint64_t size() const noexcept { return uint64_t{1} << qubits_; }
  std::span<const Amplitude> state() const noexcept { return {current(), size()}; }
  bool a_is_current() const noexcept { return a_is_current_; }

 private:
  DenseSimulator(uint64_t qubits, AmplitudeList a, AmplitudeList b) noexcept
      : qubits_(qubits), state_a_(std::move(a)), state_b_(std::move(b)) {}

  Amplitude* current() const noexcept { return a_is_current_ ? state_a_.get() : state_b_.get(); }
  Amplitude* other() const noexcept { return a_is_current_ ? state_b_.get() : state_a_.get(); }

  // Makes the current list the source of a pass and the other one its
  // destination. Plain pointers rather than a pair to unpack: the passes'
  // lambdas capture them, and clang before 16 cannot capture structured
  // bindings.
  void flip(Amplitude*& old_list, Amplitude*& new_list) noexcept {
    a_is_current_ = !a_is_current_;
    old_list = other();
    new_list = current();
  }

  // The three-pass gates: new[i] = first(i) * old[i ^ T] + second(i) * old[i]
  // where the controls hold, old[i] elsewhere.
  template <class First, class Second>
  void three_pass(uint64_t target, Positions controls, const First& first, const Second& second);

  bool pown(uint64_t k, std::string_view args);

  uint64_t qubits_ = 0;
  AmplitudeList state_a_;
  AmplitudeList state_b_;
  bool a_is_current_ = true;
};

}  // namespace fenn::dense
