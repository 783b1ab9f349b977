// Equality of decoded values with doubles compared by bit pattern: BIN
// carries NaN through unchanged, and NaN never equals itself under ==.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "libplim/src/model.hpp"

namespace fuzz {

inline bool same(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

inline bool same(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!same(a[i], b[i])) return false;
  return true;
}

inline bool same(const plim::QuantumGate& a, const plim::QuantumGate& b) {
  if (a.index() != b.index()) return false;
  if (const auto* u = std::get_if<plim::Unitary>(&a)) {
    const auto& v = std::get<plim::Unitary>(b);
    for (std::size_t i = 0; i < 4; ++i)
      if (!same(u->matrix[i].re, v.matrix[i].re) || !same(u->matrix[i].im, v.matrix[i].im))
        return false;
    return true;
  }
  // Every other gate holds at most one angle, at the front.
  return std::visit(
      [&](const auto& g) {
        using G = std::decay_t<decltype(g)>;
        if constexpr (requires { g.angle; })
          return same(g.angle, std::get<G>(b).angle);
        else
          return true;
      },
      a);
}

inline bool same(const plim::Instruction& a, const plim::Instruction& b) {
  const auto* gate_a = std::get_if<plim::Gate>(&a);
  const auto* gate_b = std::get_if<plim::Gate>(&b);
  if (gate_a && gate_b)
    return same(gate_a->gate, gate_b->gate) && gate_a->target == gate_b->target &&
           gate_a->control == gate_b->control;
  return a == b;
}

inline bool same(const std::vector<plim::CodeBlock>& a, const std::vector<plim::CodeBlock>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].instructions.size() != b[i].instructions.size() ||
        a[i].gate_count != b[i].gate_count || a[i].depth != b[i].depth)
      return false;
    for (std::size_t j = 0; j < a[i].instructions.size(); ++j)
      if (!same(a[i].instructions[j], b[i].instructions[j])) return false;
  }
  return true;
}

inline bool same(const plim::Metrics& a, const plim::Metrics& b) { return a == b; }

inline bool same(const plim::DumpData& a, const plim::DumpData& b) {
  if (a.index() != b.index()) return false;
  if (const auto* v = std::get_if<plim::Vector>(&a)) {
    const auto& w = std::get<plim::Vector>(b);
    return v->basis_states == w.basis_states && same(v->amplitudes_real, w.amplitudes_real) &&
           same(v->amplitudes_imag, w.amplitudes_imag);
  }
  if (const auto* p = std::get_if<plim::Probability>(&a)) {
    const auto& q = std::get<plim::Probability>(b);
    return p->basis_states == q.basis_states && same(p->probabilities, q.probabilities);
  }
  return a == b;
}

inline bool same(const plim::ResultData& a, const plim::ResultData& b) {
  if (a.future != b.future || a.dump.size() != b.dump.size() || !same(a.exec_time, b.exec_time))
    return false;
  for (std::size_t i = 0; i < a.dump.size(); ++i)
    if (!same(a.dump[i], b.dump[i])) return false;
  return true;
}

}  // namespace fuzz
