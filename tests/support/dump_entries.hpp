// A dump read as a map from basis state to amplitude, in which a basis state
// that the dump does not list has amplitude zero: the back ends differ in
// the order of their entries and in whether they list zeros.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "libplim/src/model.hpp"

namespace support {

// A basis state's words, most significant first.
using Words = std::vector<uint64_t>;
using Entries = std::map<Words, plim::Complex>;
// One-word basis states, with amplitudes for arithmetic.
using Amplitudes = std::map<uint64_t, std::complex<double>>;

// Fails the test when the dump is not a Vector or lists a basis state twice.
inline Entries dump_entries(const plim::DumpData& data) {
  Entries entries;
  const auto* vector = std::get_if<plim::Vector>(&data);
  if (vector == nullptr) {
    ADD_FAILURE() << "dump is not a Vector";
    return entries;
  }
  for (std::size_t i = 0; i < vector->basis_states.size(); ++i) {
    const plim::Complex amplitude{vector->amplitudes_real[i], vector->amplitudes_imag[i]};
    const plim::BasisStates::State state = vector->basis_states[i];
    const Words words(state.begin(), state.end());
    if (!entries.emplace(words, amplitude).second)
      ADD_FAILURE() << "basis state " << ::testing::PrintToString(words) << " listed twice";
  }
  return entries;
}

// The same for basis states of one word each; fails the test on any other.
inline Amplitudes one_word_amplitudes(const plim::DumpData& data) {
  Amplitudes amplitudes;
  for (const auto& [state, a] : dump_entries(data)) {
    if (state.size() != 1) {
      ADD_FAILURE() << "basis state of " << state.size() << " words";
      continue;
    }
    amplitudes.emplace(state[0], std::complex<double>(a.re, a.im));
  }
  return amplitudes;
}

inline std::complex<double> amplitude_at(const Amplitudes& amplitudes, uint64_t state) {
  const auto found = amplitudes.find(state);
  return found == amplitudes.end() ? std::complex<double>(0.0, 0.0) : found->second;
}

// Every basis state below `states` (and any listed beyond) has the same
// amplitude in both to `tolerance` per part; a not-a-number part never does.
inline void expect_near(const Amplitudes& actual, const Amplitudes& expected, uint64_t states,
                        double tolerance, const std::string& what) {
  auto compare = [&](uint64_t state) {
    const auto a = amplitude_at(actual, state), e = amplitude_at(expected, state);
    if (!(std::abs(a.real() - e.real()) <= tolerance && std::abs(a.imag() - e.imag()) <= tolerance))
      ADD_FAILURE() << what << ": basis state " << state << " holds " << a << ", expected " << e;
  };
  for (uint64_t state = 0; state < states; ++state) compare(state);
  for (const auto& entry : actual)
    if (entry.first >= states) compare(entry.first);
  for (const auto& entry : expected)
    if (entry.first >= states) compare(entry.first);
}

// Exact comparison, telling -0.0 from 0.0; any not-a-number matches another.
inline bool same_bits(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return a == b && std::signbit(a) == std::signbit(b);
}

}  // namespace support
