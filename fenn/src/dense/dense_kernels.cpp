#include "fenn/src/dense/dense_kernels.hpp"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <type_traits>

namespace fenn::dense {

void PairLayout::span(unsigned qubits, uint64_t positions) noexcept {
  // Set bits only: the kernels build a layout per sub-block for some gates.
  for (uint64_t rest = positions; rest != 0; rest &= rest - 1)
    special[special_count++] = static_cast<uint8_t>(__builtin_ctzll(rest));
  low = positions == 0 ? qubits : static_cast<unsigned>(__builtin_ctzll(positions));
  pairs = (uint64_t{1} << qubits) >> special_count;
}

PairLayout::PairLayout(unsigned qubits, uint64_t target, uint64_t controls) {
  target_bit = uint64_t{1} << target;
  only_set_half = (controls & target_bit) != 0;
  control_mask = controls & ~target_bit;
  span(qubits, control_mask | target_bit);
}

PairLayout PairLayout::singles(unsigned qubits, uint64_t controls) {
  PairLayout layout;
  layout.control_mask = controls;
  layout.span(qubits, controls);
  return layout;
}

// The vector types are local to the kernels, which pass only pointers across
// functions, so the ABI note about them does not concern any call.
#pragma GCC diagnostic ignored "-Wpsabi"

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define FENN_DENSE_WIDE_PATHS 1

#pragma GCC push_options
#pragma GCC target("avx512f")
// Here a quad is one register and the code is vectorised by hand; GCC's own
// vectoriser would turn the scalar edge loops into fused multiply-add-
// subtracts at -O3 whatever -ffp-contract says, which round once where the
// rule rounds twice. (The AVX2 target has no fused operations to form.)
#pragma GCC optimize("no-tree-vectorize")
#define FENN_DENSE_ONE_REGISTER 1
#define FENN_DENSE_QUADS 1
namespace avx512 {
#include "fenn/src/dense/dense_kernel_body.inc"
}  // namespace avx512
#undef FENN_DENSE_ONE_REGISTER
#undef FENN_DENSE_QUADS
#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx2")
// Here a quad spans two registers, each operation written on both halves;
// below, quads are not used.
#define FENN_DENSE_ONE_REGISTER 0
#define FENN_DENSE_QUADS 1
namespace avx2 {
#include "fenn/src/dense/dense_kernel_body.inc"
}  // namespace avx2
#undef FENN_DENSE_ONE_REGISTER
#undef FENN_DENSE_QUADS
#pragma GCC pop_options

#else
#define FENN_DENSE_WIDE_PATHS 0
#endif

#define FENN_DENSE_ONE_REGISTER 0
#define FENN_DENSE_QUADS 0
namespace baseline {
#include "fenn/src/dense/dense_kernel_body.inc"
}  // namespace baseline
#undef FENN_DENSE_ONE_REGISTER
#undef FENN_DENSE_QUADS

namespace {

KernelPath detect() noexcept {
#if FENN_DENSE_WIDE_PATHS
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) return KernelPath::Avx512;
  if (__builtin_cpu_supports("avx2")) return KernelPath::Avx2;
#endif
  return KernelPath::Baseline;
}

std::atomic<KernelPath>& active() noexcept {
  static std::atomic<KernelPath> path{best_kernel_path()};
  return path;
}

}  // namespace

KernelPath best_kernel_path() noexcept {
  static const KernelPath best = detect();
  return best;
}

bool kernel_path_available(KernelPath path) noexcept {
  return static_cast<uint8_t>(path) <= static_cast<uint8_t>(best_kernel_path());
}

KernelPath active_kernel_path() noexcept { return active().load(std::memory_order_relaxed); }

void set_active_kernel_path(KernelPath path) noexcept {
  if (kernel_path_available(path)) active().store(path, std::memory_order_relaxed);
}

void apply_pairs(Amplitude* list, const PreparedGate& gate, uint64_t begin, uint64_t end,
                 KernelPath path) noexcept {
  switch (path) {
#if FENN_DENSE_WIDE_PATHS
    case KernelPath::Avx512: return avx512::apply(list, gate, begin, end);
    case KernelPath::Avx2: return avx2::apply(list, gate, begin, end);
#endif
    default: return baseline::apply(list, gate, begin, end);
  }
}

bool apply_two(Amplitude* list, uint64_t count, const PreparedGate& first, const PreparedGate& second,
               KernelPath path) noexcept {
  switch (path) {
#if FENN_DENSE_WIDE_PATHS
    case KernelPath::Avx512: return avx512::apply_two(list, count, first, second);
    case KernelPath::Avx2: return avx2::apply_two(list, count, first, second);
#endif
    default: return false;  // the scalar path has no joint walk
  }
}

void move_pieces(Amplitude* list, uint64_t base, const Pieces& pieces, Amplitude* buffer, bool to_buffer,
                 KernelPath path) noexcept {
  switch (path) {
#if FENN_DENSE_WIDE_PATHS
    case KernelPath::Avx512: return avx512::move_pieces(list, base, pieces, buffer, to_buffer);
    case KernelPath::Avx2: return avx2::move_pieces(list, base, pieces, buffer, to_buffer);
#endif
    default: return baseline::move_pieces(list, base, pieces, buffer, to_buffer);
  }
}

}  // namespace fenn::dense
