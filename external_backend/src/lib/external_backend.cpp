#include "external_backend/src/lib/external_backend.hpp"

#include <utility>
#include <vector>

#include "external_backend/src/lib/position_array.hpp"
#include "external_backend/tz_nivra/tz_nivra.h"
#include "fenn/src/bitwise/pown.hpp"

namespace external_backend {

static_assert(fenn::QuantumExecution<ExternalBackend>);

namespace {

using GateCall = void (*)(TzEnvironment*, uint32_t, const uint32_t*, uint32_t);
using RotationCall = void (*)(TzEnvironment*, uint32_t, const uint32_t*, uint32_t, double);

// Positions are below 50, so their low 32 bits are the whole value.
uint32_t low_bits(uint64_t value) noexcept { return static_cast<uint32_t>(value); }

void apply(GateCall call, TzEnvironment* environment, uint64_t target, fenn::Positions controls) {
  const PositionArray array(controls);
  call(environment, low_bits(target), array.data(), array.count());
}

void apply(RotationCall call, TzEnvironment* environment, double angle, uint64_t target,
           fenn::Positions controls) {
  const PositionArray array(controls);
  call(environment, low_bits(target), array.data(), array.count(), angle);
}

struct SnapshotRelease {
  TzDump* snapshot;
  ~SnapshotRelease() { ::delete_dump(snapshot); }
};

}  // namespace

fenn::FennResult<ExternalBackend> ExternalBackend::create(const plim::Metrics& metrics) {
  if (metrics.qubit_simultaneous > kMaxQubits) return plim::Unexpected{fenn::FennError::TooManyQubits};
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
  return ::measure_(environment_, low_bits(position));
}

void ExternalBackend::exchange(uint64_t a, uint64_t b) {
  if (a != b) ::swap(environment_, a, b);
}

fenn::Status ExternalBackend::plugin(std::string_view /*name*/, std::string_view args,
                                     fenn::Positions targets) {
  const auto swaps = fenn::bitwise::derive_swap_list(targets);
  if (!swaps) return plim::Unexpected{fenn::FennError::UnsupportedPlugin};
  for (const auto& [a, b] : *swaps) exchange(a, b);
  const auto numbers = fenn::bitwise::parse_pown_args(args);
  if (!numbers) return plim::Unexpected{fenn::FennError::UnsupportedPlugin};
  ::plugin_pown(environment_, low_bits(targets.size()), numbers->base, numbers->modulus);
  for (const auto& [a, b] : *swaps) exchange(a, b);
  return {};
}

plim::DumpData ExternalBackend::dump(fenn::Positions positions) {
  TzDump* snapshot = nullptr;
  {
    const PositionArray array(positions);
    snapshot = ::dump(environment_, array.data(), array.count());
  }
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
