// The state-vector back end: every one of the 2^n amplitudes of at most 32
// qubits in one list, which every gate updates in place. A second list
// exists only when the metrics list the pown plug-in, whose scatter needs a
// destination; both are allocated at construction, so every allocation
// failure is decided before the run starts. Gates are held in a short queue
// and applied in cache-sized batches when something reads or reorders the
// state (see gate_queue.hpp); the bits are those of one gate at a time.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "fenn/src/dense/amplitude_list.hpp"
#include "fenn/src/bitwise/pown.hpp"
#include "fenn/src/dense/gate_queue.hpp"
#include "fenn/src/quantum_execution/backend.hpp"
#include "libplim/src/model.hpp"

namespace fenn::dense {

inline constexpr uint64_t kMaxQubits = 32;

class DenseSimulator {
 public:
  static constexpr bool supports_unitary = true;

  // TooManyQubits above 32 qubits and when the list (and the pown list when
  // the metrics name the plug-in) cannot be allocated;
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
  // The two halves of a measurement: the weight of outcome 1 (a parallel
  // sum over the indices whose bit is set, of hypot squared), and the
  // collapse to an outcome with its scale.
  double probability_of_one(uint64_t position) const;
  void collapse(uint64_t position, bool outcome, double scale);

  // The pown steps; the name is not read. UnsupportedPlugin outside the
  // call's contract (see dense_pown.cpp). When the metrics did not name the
  // plug-in, the destination list is allocated here, and TooManyQubits
  // refuses the call before anything moves when that fails.
  Status plugin(std::string_view name, std::string_view args, Positions targets);

  // Every amplitude above 1e-15 in magnitude, in index order.
  plim::DumpData dump(Positions positions) const;

  // Exchanges the qubits at positions a and b in place.
  void swap(uint64_t a, uint64_t b);

  uint64_t qubits() const noexcept { return qubits_; }
  uint64_t size() const noexcept { return uint64_t{1} << qubits_; }
  // The current state, every queued gate applied.
  std::span<const Amplitude> state() const {
    flush();
    return {state_.get(), size()};
  }

  // Batching on or off, and its bounds (the benchmark compares both paths;
  // tests force small bounds). Queued gates are applied first.
  void set_batching(bool on);
  bool set_batch_bounds(BatchBounds bounds);

 private:
  DenseSimulator(uint64_t qubits, AmplitudeList state, AmplitudeList scratch) noexcept
      : qubits_(qubits),
        state_(std::move(state)),
        scratch_(std::move(scratch)),
        queue_(static_cast<unsigned>(qubits)) {}

  // Queues the gate, or applies it when it cannot wait.
  void submit(const PreparedGate& gate);
  // Applies the queued gates. The queue is part of the state, not of what a
  // const reader sees, so readers flush it too.
  void flush() const;

  bool pown(const bitwise::PownCall& call);

  uint64_t qubits_ = 0;
  AmplitudeList state_;
  AmplitudeList scratch_;  // the pown destination; null when pown is not listed
  mutable GateQueue queue_;
};

}  // namespace fenn::dense
