// The back-end interface of the execution engine. The engine is a template
// over it and is instantiated once per back end at build time, so every call
// on the per-instruction path is a direct call.
#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <span>
#include <string_view>

#include "fenn/src/quantum_execution/fenn_error.hpp"
#include "libplim/src/expected.hpp"
#include "libplim/src/model.hpp"

namespace fenn {

// Physical qubit positions, already mapped and range-checked by the engine.
using Positions = std::span<const uint64_t>;
using Matrix = std::array<plim::Complex, 4>;
using Status = plim::Expected<void, FennError>;

template <class T>
using FennResult = plim::Expected<T, FennError>;

// `create` is the interface's `new`: a register of qubit_simultaneous qubits
// in |0...0>, or a FennError. Release is the destructor. A back end without a
// way to apply arbitrary matrices sets `supports_unitary` to false and need
// not provide `unitary`. `measure` and `plugin` fail only outside their
// contract (weights that cannot be sampled, malformed plug-in calls).
template <class B>
concept QuantumExecution =
    std::movable<B> &&
    requires(B& backend, const plim::Metrics& metrics, uint64_t target, Positions positions,
             double angle, std::string_view text) {
      { B::create(metrics) } -> std::same_as<FennResult<B>>;
      { B::supports_unitary } -> std::convertible_to<bool>;
      { backend.pauli_x(target, positions) } -> std::same_as<void>;
      { backend.pauli_y(target, positions) } -> std::same_as<void>;
      { backend.pauli_z(target, positions) } -> std::same_as<void>;
      { backend.hadamard(target, positions) } -> std::same_as<void>;
      { backend.phase(angle, target, positions) } -> std::same_as<void>;
      { backend.rx(angle, target, positions) } -> std::same_as<void>;
      { backend.ry(angle, target, positions) } -> std::same_as<void>;
      { backend.rz(angle, target, positions) } -> std::same_as<void>;
      { backend.measure(target) } -> std::same_as<FennResult<uint8_t>>;
      { backend.plugin(text, text, positions) } -> std::same_as<Status>;
      { backend.dump(positions) } -> std::same_as<plim::DumpData>;
    } &&
    (!B::supports_unitary ||
     requires(B& backend, const Matrix& matrix, uint64_t target, Positions positions) {
       { backend.unitary(matrix, target, positions) } -> std::same_as<void>;
     });

}  // namespace fenn
