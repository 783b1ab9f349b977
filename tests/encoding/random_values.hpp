// Random values of every model type, for round trips through the encodings.
// Each draw covers the whole range of its field: full-width and boundary
// integers, multi-word basis states, texts that need escaping in JSON.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "libplim/src/model.hpp"

namespace encoding_test {

class RandomValues {
 public:
  // `finite_only` keeps doubles finite, which JSON needs: it writes the others
  // as null and cannot read them back.
  RandomValues(uint64_t seed, bool finite_only) : engine_(seed), finite_only_(finite_only) {}

  std::vector<plim::CodeBlock> code();
  plim::CodeBlock block();
  plim::Instruction instruction();
  plim::QuantumGate gate();
  plim::EndInstruction end();
  plim::Metrics metrics();
  plim::ResultData result();
  plim::DumpData dump();

  uint64_t below(uint64_t bound) { return std::uniform_int_distribution<uint64_t>(0, bound - 1)(engine_); }
  uint64_t number();
  int64_t signed_number() { return static_cast<int64_t>(number()); }
  double real();
  std::string text();
  std::vector<uint64_t> numbers(uint64_t max_length);
  bool coin() { return below(2) == 1; }

 private:
  std::mt19937_64 engine_;
  bool finite_only_;
};

}  // namespace encoding_test
