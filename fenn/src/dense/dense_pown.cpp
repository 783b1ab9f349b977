// The pown transformation of the dense simulator. The k low bits of every
// index are replaced by their register image and the bits above stay: the
// amplitude at i moves to that index (a scatter), indices that nothing
// reaches hold zero, and where several sources reach one index the highest
// source index wins, as a sequential pass over increasing indices would
// leave it. A source whose amplitude is zero moves nothing: the map is not
// one to one, and an empty basis state must not wipe out the amplitude that
// a lower source brought (|x>|1> of order finding meets |x>|y> with y > 1).
// The call is refused, before the pass, when a basis state that holds
// amplitude has no image (modulus 0 with x >= 1, an image of 2^k or more, or
// an index beyond the register); states that hold none never move, so they
// cannot break the call, just as the sparse simulator never sees them.
#include <atomic>

#include "fenn/src/bitwise/pown.hpp"
#include "fenn/src/dense/dense_simulator.hpp"
#include "fenn/src/dense/passes.hpp"

namespace fenn::dense {

namespace {

// The destination of source i, with c = pow_mod(base, x, modulus) reused
// across the run of consecutive indices that share x. One per task.
class Destination {
 public:
  explicit Destination(const bitwise::PownCall& call)
      : call_(call),
        mask_(call.register_mask()),
        // Without wrapping products pow_mod is the true power for x >= 1, so
        // the next x's value is one modular product away.
        stepwise_(call.modulus != 0 && call.base < (uint64_t{1} << 32) &&
                  call.modulus <= (uint64_t{1} << 32)) {}

  // The new index of i, or an empty optional outside the call's contract.
  std::optional<uint64_t> operator()(uint64_t i) {
    const uint64_t jk = i & mask_;
    const uint64_t x = bitwise::register_x(jk, call_);
    if (!cached_ || x != x_) {
      if (cached_ && stepwise_ && x_ >= 1 && x == x_ + 1) {
        c_ = (c_ * call_.base) % call_.modulus;
      } else {
        // pow_mod answers a modulus of 0 without dividing; register_image
        // then refuses the value.
        c_ = bitwise::pow_mod(call_.base, x, call_.modulus);
      }
      cached_ = true;
      x_ = x;
    }
    const auto image = bitwise::register_image(jk, c_, call_);
    if (!image) return std::nullopt;
    return (i & ~mask_) | *image;
  }

 private:
  const bitwise::PownCall& call_;
  uint64_t mask_;
  bool stepwise_;
  bool cached_ = false;
  uint64_t x_ = 0;
  uint64_t c_ = 0;
};

}  // namespace

bool DenseSimulator::pown(const bitwise::PownCall& call) {
  Amplitude* const target = scratch_.get();
  const Amplitude* const source = state_.get();
  const uint64_t n = size();

  // First the winner of every destination: the largest source index + 1,
  // kept as an exact integer in the destination's real part (0: none).
  // Indices are below 2^32, so every value is exact in a double.
  for_each_index(n, [target](uint64_t i) { target[i] = Amplitude{0.0, 0.0}; });
  std::atomic<bool> refused{false};
  runtime::parallel_for(n, [&](uint64_t begin, uint64_t end) {
    Destination destination(call);
    for (uint64_t i = begin; i < end; ++i) {
      if (source[i].re == 0.0 && source[i].im == 0.0) continue;
      const auto d = destination(i);
      if (!d || *d >= n) {
        refused.store(true, std::memory_order_relaxed);
        return;
      }
      std::atomic_ref<double> winner(target[*d].re);
      const auto claim = static_cast<double>(i + 1);
      double seen = winner.load(std::memory_order_relaxed);
      while (seen < claim && !winner.compare_exchange_weak(seen, claim, std::memory_order_relaxed)) {
      }
    }
  });
  // Refused before the pass takes effect: the current list is untouched.
  if (refused.load()) return false;

  for_each_index(n, [source, target](uint64_t d) {
    const auto winner = static_cast<uint64_t>(target[d].re);
    target[d] = winner == 0 ? Amplitude{0.0, 0.0} : source[winner - 1];
  });
  // The gathered list becomes the state; the old one is the next call's
  // destination, which it overwrites whole before reading.
  std::swap(state_, scratch_);
  return true;
}

}  // namespace fenn::dense
