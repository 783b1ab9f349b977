// The sixteen integer operations on futures, on signed 64-bit values with
// two's-complement wrapping.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

#include "libplim/src/model.hpp"

namespace fenn {

// True when Div or Mod of a by b has no defined value: division by zero, or
// the least value divided by -1.
constexpr bool undefined_division(plim::ClassicalOp op, int64_t a, int64_t b) noexcept {
  if (op != plim::ClassicalOp::Div && op != plim::ClassicalOp::Mod) return false;
  return b == 0 || (a == std::numeric_limits<int64_t>::min() && b == -1);
}

// The value of `op` on a and b. Div and Mod must have passed
// undefined_division first.
constexpr int64_t evaluate_int_op(plim::ClassicalOp op, int64_t a, int64_t b) noexcept {
  using plim::ClassicalOp;
  const auto ua = static_cast<uint64_t>(a);
  const auto ub = static_cast<uint64_t>(b);
  const unsigned shift = static_cast<unsigned>(ub & 63);
  switch (op) {
    case ClassicalOp::Eq: return a == b;
    case ClassicalOp::Neq: return a != b;
    case ClassicalOp::Gt: return a > b;
    case ClassicalOp::Geq: return a >= b;
    case ClassicalOp::Lt: return a < b;
    case ClassicalOp::Leq: return a <= b;
    case ClassicalOp::Add: return static_cast<int64_t>(ua + ub);
    case ClassicalOp::Sub: return static_cast<int64_t>(ua - ub);
    case ClassicalOp::Mul: return static_cast<int64_t>(ua * ub);
    case ClassicalOp::Mod: return a % b;
    case ClassicalOp::Div: return a / b;
    case ClassicalOp::Sll: return static_cast<int64_t>(ua << shift);
    case ClassicalOp::Srl: return a >> shift;  // arithmetic: the sign bit is copied
    case ClassicalOp::And: return a & b;
    case ClassicalOp::Or: return a | b;
    case ClassicalOp::Xor: return a ^ b;
  }
  return 0;
}

}  // namespace fenn
