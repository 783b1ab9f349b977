#include "encoding/random_values.hpp"

#include <bit>
#include <cmath>
#include <limits>

namespace encoding_test {

using namespace plim;

uint64_t RandomValues::number() {
  switch (below(4)) {
    case 0: return below(8);
    case 1: return engine_();
    case 2: return std::numeric_limits<uint64_t>::max() - below(3);
    default: return uint64_t{1} << below(64);
  }
}

double RandomValues::real() {
  const uint64_t pick = below(10);
  if (pick == 0) {
    const double specials[] = {0.0, -0.0, 1.0, 0.1, 1e16, 1e-6, 5e-324,
                               std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::min()};
    return specials[below(std::size(specials))];
  }
  if (pick == 1 && !finite_only_) {
    return coin() ? std::numeric_limits<double>::infinity()
                  : -std::numeric_limits<double>::infinity();
  }
  if (pick == 2) {
    // Any finite bit pattern, subnormals and huge exponents included.
    double value;
    do value = std::bit_cast<double>(engine_());
    while (!std::isfinite(value));
    return value;
  }
  return std::uniform_real_distribution<double>(-10.0, 10.0)(engine_);
}

std::string RandomValues::text() {
  // Pieces that exercise each path of the string forms.
  static const char* const pieces[] = {"pown", "a", "\t", "\"", "\\", "/", "\x01", "\x1f",
                                       "\x7f", "é", "€", "😀", " ", "0", "\n"};
  std::string value;
  for (uint64_t i = below(6); i > 0; --i) value += pieces[below(std::size(pieces))];
  return value;
}

std::vector<uint64_t> RandomValues::numbers(uint64_t max_length) {
  std::vector<uint64_t> values(below(max_length + 1));
  for (uint64_t& value : values) value = number();
  return values;
}

QuantumGate RandomValues::gate() {
  switch (below(kGateVariants)) {
    case 0: return PauliX{};
    case 1: return PauliY{};
    case 2: return PauliZ{};
    case 3: return Hadamard{};
    case 4: return Phase{real()};
    case 5: return RX{real()};
    case 6: return RY{real()};
    case 7: return RZ{real()};
    default: {
      Unitary unitary;
      for (Complex& entry : unitary.matrix) entry = {real(), real()};
      return unitary;
    }
  }
}

EndInstruction RandomValues::end() {
  switch (below(3)) {
    case 0: return Jump{number()};
    case 1: return Branch{number(), number(), number()};
    default: return Halt{};
  }
}

Instruction RandomValues::instruction() {
  switch (below(kInstructionVariants)) {
    case 0: return Alloc{coin(), number()};
    case 1: return Free{coin(), number()};
    case 2: return Gate{gate(), number(), numbers(4)};
    case 3: return Measure{numbers(5), number()};
    case 4: return Plugin{text(), numbers(4), text()};
    case 5: return IntOp{static_cast<ClassicalOp>(below(kClassicalOpVariants)), number(),
                         number(), number()};
    case 6: return IntSet{number(), signed_number()};
    case 7: return Dump{numbers(5), number()};
    default: return End{end()};
  }
}

CodeBlock RandomValues::block() {
  CodeBlock block;
  for (uint64_t i = below(12); i > 0; --i) block.instructions.push_back(instruction());
  for (uint64_t i = below(4); i > 0; --i) block.gate_count[number()] = number();
  block.depth = number();
  return block;
}

std::vector<CodeBlock> RandomValues::code() {
  std::vector<CodeBlock> blocks;
  for (uint64_t i = below(5); i > 0; --i) blocks.push_back(block());
  return blocks;
}

Metrics RandomValues::metrics() {
  Metrics metrics{number(), number(), number(), number(), number(), {}, {}, coin()};
  if (coin()) metrics.timeout = number();
  for (uint64_t i = below(4); i > 0; --i) metrics.plugins.insert(text());
  return metrics;
}

DumpData RandomValues::dump() {
  // Basis states of zero to three words, lists whose lengths need not agree.
  BasisStates states;
  for (uint64_t i = below(5); i > 0; --i) states.push_back(numbers(3));
  auto reals = [&] {
    std::vector<double> values(below(5));
    for (double& value : values) value = real();
    return values;
  };
  switch (below(3)) {
    case 0: return Vector{states, reals(), reals()};
    case 1: return Probability{states, reals()};
    default: {
      std::vector<uint32_t> count(below(5));
      for (uint32_t& value : count) value = static_cast<uint32_t>(number());
      return Shots{states, count, number()};
    }
  }
}

ResultData RandomValues::result() {
  ResultData result;
  for (uint64_t i = below(6); i > 0; --i) result.future.push_back(signed_number());
  for (uint64_t i = below(4); i > 0; --i) result.dump.push_back(dump());
  result.exec_time = real();
  return result;
}

}  // namespace encoding_test
