// The back end that runs quantum code on the closed simulation library
// libtz_nivra. It simulates nothing itself: every operation becomes calls
// into the library on the run's one environment.
#pragma once

#include <cstdint>
#include <string_view>

#include "fenn/src/quantum_execution/backend.hpp"
#include "libplim/src/model.hpp"

struct TzEnvironment;

namespace external_backend {

// The largest register the library offers.
inline constexpr uint64_t kMaxQubits = 50;

class ExternalBackend {
 public:
  // The library has no way to apply an arbitrary matrix.
  static constexpr bool supports_unitary = false;

  // TooManyQubits above 50 qubits, without calling the library; otherwise a
  // fresh environment of qubit_simultaneous qubits. Plug-in names are not
  // checked. UndefinedError when the library hands out no environment.
  static fenn::FennResult<ExternalBackend> create(const plim::Metrics& metrics);

  ExternalBackend(ExternalBackend&& other) noexcept;
  ExternalBackend& operator=(ExternalBackend&& other) noexcept;
  ExternalBackend(const ExternalBackend&) = delete;
  ExternalBackend& operator=(const ExternalBackend&) = delete;
  // Release: deletes the environment, unless it was moved away.
  ~ExternalBackend();

  // Gates, swaps and dumps that the library reports as not done (errno, see
  // tz_nivra.h) throw std::bad_alloc, which ends the run with UndefinedError;
  // measure and plugin answer UndefinedError themselves.
  void pauli_x(uint64_t target, fenn::Positions controls);
  void pauli_y(uint64_t target, fenn::Positions controls);
  void pauli_z(uint64_t target, fenn::Positions controls);
  void hadamard(uint64_t target, fenn::Positions controls);
  void phase(double angle, uint64_t target, fenn::Positions controls);
  void rx(double angle, uint64_t target, fenn::Positions controls);
  void ry(double angle, uint64_t target, fenn::Positions controls);
  void rz(double angle, uint64_t target, fenn::Positions controls);

  // The library's byte, passed on unchanged.
  fenn::FennResult<uint8_t> measure(uint64_t position);

  // The pown steps with the library's swap and plugin_pown; the name is not
  // read. UnsupportedPlugin for a target of k or more (before any call), for
  // malformed arguments (after the first exchanges) and for a transformation
  // that the library finds outside its contract (a modulus of 0 reached with
  // x >= 1, an image outside the register).
  fenn::Status plugin(std::string_view name, std::string_view args, fenn::Positions targets);

  // Vector with one one-word basis state per record, in the library's order.
  plim::DumpData dump(fenn::Positions positions);

 private:
  explicit ExternalBackend(TzEnvironment* environment) noexcept : environment_(environment) {}
  void release() noexcept;
  fenn::Status exchange(uint64_t a, uint64_t b);

  TzEnvironment* environment_;
};

}  // namespace external_backend
