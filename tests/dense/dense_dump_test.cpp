// The dense dump collected on the pool against a literal index-by-index
// reading of the list: the same entries, in index order, with the same bits.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "fenn/src/dense/dense_dump.hpp"

namespace {

using fenn::Amplitude;

// Every index in order; an amplitude is listed when its magnitude is above
// 1e-15 (a NaN magnitude is not); bit k of the word list is bit
// positions[m-1-k] of the index, in one word up to 64 positions and most
// significant word first beyond.
plim::Vector reference_dump(const std::vector<Amplitude>& state,
                            const std::vector<uint64_t>& positions) {
  const std::size_t m = positions.size();
  const std::size_t width = m <= 64 ? 1 : (m + 63) / 64;
  plim::Vector vector;
  for (uint64_t i = 0; i < state.size(); ++i) {
    if (!(std::hypot(state[i].re, state[i].im) > 1e-15)) continue;
    std::vector<uint64_t> words(width, 0);
    for (std::size_t k = 0; k < m; ++k)
      words[width - 1 - k / 64] |= ((i >> positions[m - 1 - k]) & 1) << (k % 64);
    vector.basis_states.push_back(words);
    vector.amplitudes_real.push_back(state[i].re);
    vector.amplitudes_imag.push_back(state[i].im);
  }
  return vector;
}

std::vector<uint64_t> bits_of(const std::vector<double>& values) {
  std::vector<uint64_t> bits;
  for (double value : values) bits.push_back(std::bit_cast<uint64_t>(value));
  return bits;
}

// A list with amplitudes of every kind the threshold sorts: zeros of both
// signs, exactly 1e-15, just above it, NaN, infinities, ordinary values.
std::vector<Amplitude> mixed_state(unsigned qubits, uint64_t seed) {
  std::mt19937_64 random(seed);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Amplitude specials[] = {{0.0, 0.0},  {-0.0, 0.0}, {1e-15, 0.0}, {0.0, -1e-15},
                                {2e-15, 0.0}, {nan, 0.0},  {0.0, inf},   {7e-16, 7e-16}};
  std::vector<Amplitude> state(std::size_t{1} << qubits);
  for (Amplitude& a : state) {
    const uint64_t pick = random() % 16;
    if (pick < std::size(specials)) {
      a = specials[pick];
    } else {
      std::uniform_real_distribution<double> part(-1.0, 1.0);
      a = {part(random), part(random)};
    }
  }
  return state;
}

TEST(DenseDump, AgreesWithAnIndexByIndexReading) {
  // 16 qubits: large enough for the pool to split the pass among its tasks.
  const unsigned qubits = 16;
  std::vector<uint64_t> many;  // 70 positions, repeats included: two words
  for (uint64_t p = 0; p < 70; ++p) many.push_back((p * 7) % qubits);
  struct Case {
    const char* name;
    std::vector<uint64_t> positions;
  };
  const Case cases[] = {
      {"every position in order", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
      {"every position reversed", {15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
      {"a few, repeated", {3, 9, 3, 15}},
      {"none", {}},
      {"seventy", many},
  };
  const std::vector<Amplitude> state = mixed_state(qubits, 5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const plim::DumpData data = fenn::dense::dump_amplitudes(state, c.positions);
    const auto* vector = std::get_if<plim::Vector>(&data);
    ASSERT_NE(vector, nullptr);
    const plim::Vector expected = reference_dump(state, c.positions);
    EXPECT_EQ(vector->basis_states, expected.basis_states);
    EXPECT_TRUE(vector->basis_states.uniform());
    EXPECT_EQ(bits_of(vector->amplitudes_real), bits_of(expected.amplitudes_real));
    EXPECT_EQ(bits_of(vector->amplitudes_imag), bits_of(expected.amplitudes_imag));
  }
}

TEST(DenseDump, ZeroQubitsAndAnEmptyResult) {
  const plim::DumpData one = fenn::dense::dump_amplitudes(std::vector<Amplitude>{{1.0, 0.0}}, {});
  EXPECT_EQ(std::get<plim::Vector>(one), (plim::Vector{{{0}}, {1.0}, {0.0}}));
  const std::vector<Amplitude> silent(std::size_t{1} << 14, Amplitude{1e-16, 0.0});
  const std::vector<uint64_t> positions = {0, 13};
  const plim::DumpData none = fenn::dense::dump_amplitudes(silent, positions);
  EXPECT_EQ(std::get<plim::Vector>(none), plim::Vector{});
}

}  // namespace
