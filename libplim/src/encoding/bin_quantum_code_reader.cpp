#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "libplim/src/encoding/bin.hpp"
#include "libplim/src/encoding/bin_primitives.hpp"

namespace plim::encoding {
namespace {

using bin::kIndex;
using bin::kWord;

constexpr std::size_t kMinBlock = 3 * kWord;  // no instruction, no entry

constexpr std::string_view kNineVariants = "variant index 0 <= i < 9";
constexpr std::string_view kThreeVariants = "variant index 0 <= i < 3";
constexpr std::string_view kSixteenVariants = "variant index 0 <= i < 16";

QuantumGate read_gate_bin(bin::Reader& r) {
  const uint32_t index = r.variant(9, kNineVariants);
  switch (index) {
    case 0: return PauliX{};
    case 1: return PauliY{};
    case 2: return PauliZ{};
    case 3: return Hadamard{};
    case 4: return Phase{r.f64()};
    case 5: return RX{r.f64()};
    case 6: return RY{r.f64()};
    case 7: return RZ{r.f64()};
    default: {
      r.need(8 * kWord);
      Unitary unitary;
      for (Complex& entry : unitary.matrix) {
        entry.re = r.load_f64();
        entry.im = r.load_f64();
      }
      return unitary;
    }
  }
}

EndInstruction read_end_instruction_bin(bin::Reader& r) {
  const uint32_t index = r.variant(3, kThreeVariants);
  if (index == 0) return Jump{r.u64()};
  if (index == 1) {
    r.need(3 * kWord);
    Branch branch;
    branch.test = r.load<uint64_t>();
    branch.then = r.load<uint64_t>();
    branch.otherwise = r.load<uint64_t>();
    return branch;
  }
  return Halt{};
}

// Constructs the instruction in place at the end of `out`.
void read_instruction_bin(bin::Reader& r, std::vector<Instruction>& out) {
  const uint32_t index = r.variant(9, kNineVariants);
  switch (index) {
    case 0:
    case 1: {
      r.need(1 + kWord);
      const bool dirty = r.load_boolean();
      const uint64_t target = r.load<uint64_t>();
      if (index == 0)
        out.emplace_back(Alloc{dirty, target});
      else
        out.emplace_back(Free{dirty, target});
      break;
    }
    case 2: {
      QuantumGate gate = read_gate_bin(r);
      auto& made = std::get<Gate>(out.emplace_back(std::in_place_type<Gate>));
      made.gate = gate;
      made.target = r.u64();
      r.list(made.control);
      break;
    }
    case 3:
    case 7: {
      std::vector<uint64_t> qubits;
      r.list(qubits);
      const uint64_t output = r.u64();
      if (index == 3)
        out.emplace_back(Measure{std::move(qubits), output});
      else
        out.emplace_back(Dump{std::move(qubits), output});
      break;
    }
    case 4: {
      Plugin plugin;
      plugin.name = r.string();
      r.list(plugin.target);
      plugin.args = r.string();
      out.emplace_back(std::move(plugin));
      break;
    }
    case 5: {
      const auto op = static_cast<ClassicalOp>(r.variant(16, kSixteenVariants));
      r.need(3 * kWord);
      const uint64_t result = r.load<uint64_t>();
      const uint64_t lhs = r.load<uint64_t>();
      const uint64_t rhs = r.load<uint64_t>();
      out.emplace_back(IntOp{op, result, lhs, rhs});
      break;
    }
    case 6: {
      r.need(2 * kWord);
      const uint64_t result = r.load<uint64_t>();
      const int64_t value = r.load<int64_t>();
      out.emplace_back(IntSet{result, value});
      break;
    }
    default: out.emplace_back(End{read_end_instruction_bin(r)}); break;
  }
}

// How many of the `count` instructions at the reader's position stand complete
// in the input, judged by their layout alone (the reading pass checks the
// rest). The list reserves exactly that: room backed by the input, and no
// regrowth while a long block is read.
std::size_t instructions_present(const bin::Reader& r, uint64_t count) noexcept {
  const uint8_t* p = r.position();
  const uint8_t* const end = p + r.remaining();
  auto have = [&](std::size_t bytes) { return static_cast<std::size_t>(end - p) >= bytes; };
  auto word_at = [&](std::size_t offset) {
    uint64_t value;
    std::memcpy(&value, p + offset, sizeof value);
    return bin::to_little_endian(value);
  };
  // The length of a count-prefixed list of words at `offset`, or 0 when cut.
  auto list_at = [&](std::size_t offset) -> std::size_t {
    if (!have(offset + kWord)) return 0;
    const uint64_t n = word_at(offset);
    if (n > (static_cast<std::size_t>(end - p) - offset - kWord) / kWord) return 0;
    return kWord + kWord * static_cast<std::size_t>(n);
  };
  auto text_at = [&](std::size_t offset) -> std::size_t {
    if (!have(offset + kWord)) return 0;
    const uint64_t n = word_at(offset);
    if (n > static_cast<std::size_t>(end - p) - offset - kWord) return 0;
    return kWord + static_cast<std::size_t>(n);
  };
  uint64_t found = 0;
  for (; found < count && have(kIndex); ++found) {
    uint32_t index;
    std::memcpy(&index, p, sizeof index);
    index = bin::to_little_endian(index);
    std::size_t size = kIndex;
    switch (index) {
      case 0: case 1: size += 1 + kWord; break;
      case 2: {
        if (!have(2 * kIndex)) return static_cast<std::size_t>(found);
        uint32_t gate;
        std::memcpy(&gate, p + kIndex, sizeof gate);
        gate = bin::to_little_endian(gate);
        size += kIndex + (gate < 4 ? 0 : gate < 8 ? kWord : 8 * kWord) + kWord;
        const std::size_t control = list_at(size);
        if (control == 0) return static_cast<std::size_t>(found);
        size += control;
        break;
      }
      case 3: case 7: {
        const std::size_t qubits = list_at(size);
        if (qubits == 0) return static_cast<std::size_t>(found);
        size += qubits + kWord;
        break;
      }
      case 4: {
        std::size_t part = text_at(size);
        if (part == 0) return static_cast<std::size_t>(found);
        size += part;
        if ((part = list_at(size)) == 0) return static_cast<std::size_t>(found);
        size += part;
        if ((part = text_at(size)) == 0) return static_cast<std::size_t>(found);
        size += part;
        break;
      }
      case 5: size += kIndex + 3 * kWord; break;
      case 6: size += 2 * kWord; break;
      case 8: {
        if (!have(2 * kIndex)) return static_cast<std::size_t>(found);
        uint32_t terminator;
        std::memcpy(&terminator, p + kIndex, sizeof terminator);
        terminator = bin::to_little_endian(terminator);
        size += kIndex + (terminator == 0 ? kWord : terminator == 1 ? 3 * kWord : 0);
        break;
      }
      default: return static_cast<std::size_t>(found);
    }
    if (!have(size)) break;
    p += size;
  }
  return static_cast<std::size_t>(found);
}

void read_code_block_bin(bin::Reader& r, CodeBlock& block) {
  const uint64_t instructions = r.u64();
  block.instructions.reserve(instructions_present(r, instructions));
  for (uint64_t i = 0; i < instructions; ++i) read_instruction_bin(r, block.instructions);
  const uint64_t entries = r.u64();
  block.gate_count.reserve(r.reservation(entries, 2 * kWord));
  for (uint64_t i = 0; i < entries; ++i) {
    r.need(2 * kWord);
    const uint64_t key = r.load<uint64_t>();
    // A key given again replaces the value read before.
    block.gate_count[key] = r.load<uint64_t>();
  }
  block.depth = r.u64();
}

}  // namespace

Decoded<std::vector<CodeBlock>> read_quantum_code_bin(std::span<const uint8_t> input) {
  return bin::decode<std::vector<CodeBlock>>(input, [](bin::Reader& r) {
    std::vector<CodeBlock> blocks;
    const uint64_t count = r.u64();
    blocks.reserve(r.reservation(count, kMinBlock));
    for (uint64_t i = 0; i < count; ++i) read_code_block_bin(r, blocks.emplace_back());
    return blocks;
  });
}

}  // namespace plim::encoding
