#include "external_backend/src/lib/external_backend.hpp"

#include <cerrno>
#include <exception>
#include <new>
#include <utility>
#include <vector>

#include "external_backend/src/lib/position_array.hpp"
#include "external_backend/tz_nivra/tz_nivra.h"
#include "fenn/src/quantum_execution/pown_plugin.hpp"

namespace external_backend {

static_assert(fenn::QuantumExecution<ExternalBackend>);

namespace {

using GateCall = void (*)(TzEnvironment*, uint32_t, const uint32_t*, uint32_t);
using RotationCall = void (*)(TzEnvironment*, uint32_t, const uint32_t*, uint32_t, double);

// Positions are below 50, so their low 32 bits are the whole value.
uint32_t low_bits(uint64_t value) noexcept { return static_cast<uint32_t>(value); }

// The library tells a call that could not complete through errno and leaves
// errno alone otherwise (its header): the call's errno, 0 when it took effect.
template <class Call>
int library_errno(Call call) {
  errno = 0;
  call();
  return errno;
}

// A gate has no way to report failure to the engine; like a sparse map that
// cannot grow, it throws, and the engine ends the run with UndefinedError.
void require_done(int error) {
  if (error != 0) throw std::bad_alloc();
}

fenn::Status status_of(int error) {
  if (error == 0) return {};
  // EDOM: a pown call outside its contract, as the simulators answer it.
  return plim::Unexpected{error == EDOM ? fenn::FennError::UnsupportedPlugin
                                        : fenn::FennError::UndefinedError};
}

void apply(GateCall call, TzEnvironment* environment, uint64_t target, fenn::Positions controls) {
  const PositionArray array(controls);
  require_done(library_errno([&] { call(environment, low_bits(target), array.data(), array.count()); }));
}

void apply(RotationCall call, TzEnvironment* environment, double angle, uint64_t target,
           fenn::Positions controls) {
  const PositionArray array(controls);
  require_done(library_errno(
      [&] { call(environment, low_bits(target), array.data(), array.count(), angle); }));
}

struct SnapshotRelease {
  TzDump* snapshot;
  ~SnapshotRelease() { ::delete_dump(snapshot); }
};

// The library's snapshot of the positions. No snapshot is no dump (an empty
// one would read as a state without entries), so it throws like a gate.
TzDump* take_snapshot(TzEnvironment* environment, fenn::Positions positions) {
  TzDump* snapshot = nullptr;
  const PositionArray array(positions);
  const int error = library_errno([&] { snapshot = ::dump(environment, array.data(), array.count()); });
  if (error == 0 && snapshot != nullptr) return snapshot;
  if (snapshot != nullptr) ::delete_dump(snapshot);
  throw std::bad_alloc();
}

}  // namespace

fenn::FennResult<ExternalBackend> ExternalBackend::create(const plim::Metrics& metrics) {
  if (metrics.qubit_simultaneous > kMaxQubits) return plim::Unexpected{fenn::FennError::TooManyQubits};
  // A failed library call ends the run with a throw (above). The exception
  // machinery's thread-local state is allocated on a thread's first throw
  // when the system was loaded at run time, and glibc aborts the host if it
  // cannot be had then; touching it now, before the run fills memory, leaves
  // nothing to allocate later. (The function is declared pure: a kept result
  // keeps the call.)
  const volatile int uncaught = std::uncaught_exceptions();
  (void)uncaught;
  TzEnvironment* environment = ::create_environment(low_bits(metrics.qubit_simultaneous));
  if (environment == nullptr) return plim::Unexpected{fenn::FennError::UndefinedError};
  return ExternalBackend(environment);
}

ExternalBackend::ExternalBackend(ExternalBackend&& other) noexcept
    : environment_(std::exchange(other.environment_, nullptr)) {}

ExternalBackend& ExternalBackend::operator=(ExternalBackend&& other) noexcept {
  if (this != &other) {
    release();
    environment_ = std::exchange(other.environment_, nullptr);
  }
  return *this;
}

ExternalBackend::~ExternalBackend() { release(); }

void ExternalBackend::release() noexcept {
  if (environment_ != nullptr) ::delete_environment(std::exchange(environment_, nullptr));
}

void ExternalBackend::pauli_x(uint64_t target, fenn::Positions controls) {
  apply(::sigma_x, environment_, target, controls);
}

void ExternalBackend::pauli_y(uint64_t target, fenn::Positions controls) {
  apply(::sigma_y, environment_, target, controls);
}

void ExternalBackend::pauli_z(uint64_t target, fenn::Positions controls) {
  apply(::sigma_z, environment_, target, controls);
}

void ExternalBackend::hadamard(uint64_t target, fenn::Positions controls) {
  apply(::hadamard_, environment_, target, controls);
}

void ExternalBackend::phase(double angle, uint64_t target, fenn::Positions controls) {
  apply(::phase, environment_, angle, target, controls);
}

void ExternalBackend::rx(double angle, uint64_t target, fenn::Positions controls) {
  apply(::rx, environment_, angle, target, controls);
}

void ExternalBackend::ry(double angle, uint64_t target, fenn::Positions controls) {
  apply(::ry, environment_, angle, target, controls);
}

void ExternalBackend::rz(double angle, uint64_t target, fenn::Positions controls) {
  apply(::rz, environment_, angle, target, controls);
}

fenn::FennResult<uint8_t> ExternalBackend::measure(uint64_t position) {
  uint8_t outcome = 0;
  const int error = library_errno([&] { outcome = ::measure_(environment_, low_bits(position)); });
  if (error != 0) return plim::Unexpected{fenn::FennError::UndefinedError};
  return outcome;
}

fenn::Status ExternalBackend::exchange(uint64_t a, uint64_t b) {
  if (a == b) return {};
  return status_of(library_errno([&] { ::swap(environment_, a, b); }));
}

fenn::Status ExternalBackend::plugin(std::string_view /*name*/, std::string_view args,
                                     fenn::Positions targets) {
  return fenn::run_pown_plugin(
      args, targets, [this](uint64_t a, uint64_t b) { return exchange(a, b); },
      [this](const fenn::bitwise::PownCall& call) {
        return status_of(library_errno([&] {
          ::plugin_pown(environment_, low_bits(call.k), call.base, call.modulus);
        }));
      });
}

plim::DumpData ExternalBackend::dump(fenn::Positions positions) {
  TzDump* snapshot = take_snapshot(environment_, positions);
  // The snapshot goes whatever happens below, also when it holds nothing.
  const SnapshotRelease release_snapshot{snapshot};

  int32_t count = 0;
  const DumpEntry* records = ::dump_data(snapshot, &count);
  // A negative count is outside what the library promises: no records.
  const std::size_t size = count > 0 ? static_cast<std::size_t>(count) : 0;

  // One word per basis state.
  std::vector<uint64_t> words(size);
  plim::Vector vector;
  vector.amplitudes_real.reserve(size);
  vector.amplitudes_imag.reserve(size);
  for (std::size_t i = 0; i < size; ++i) {
    words[i] = records[i].basis_state;
    vector.amplitudes_real.push_back(records[i].real);
    vector.amplitudes_imag.push_back(records[i].imag);
  }
  vector.basis_states = plim::BasisStates(size, 1, std::move(words));
  return vector;
}

}  // namespace external_backend
