// The quantum-code model shared by the builder, the encodings and the
// executors. Variant alternatives and record fields stand in their wire order:
// a variant's index() is the number that every encoding writes for it.
#pragma once

#include <algorithm>
#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <variant>
#include <vector>

namespace plim {

// A complex number as (real part, imaginary part).
struct Complex {
  double re = 0.0;
  double im = 0.0;
  friend bool operator==(const Complex&, const Complex&) = default;
};

// ---------------------------------------------------------------- QuantumGate

struct PauliX { friend bool operator==(const PauliX&, const PauliX&) = default; };
struct PauliY { friend bool operator==(const PauliY&, const PauliY&) = default; };
struct PauliZ { friend bool operator==(const PauliZ&, const PauliZ&) = default; };
struct Hadamard { friend bool operator==(const Hadamard&, const Hadamard&) = default; };
struct Phase { double angle = 0.0; friend bool operator==(const Phase&, const Phase&) = default; };
struct RX { double angle = 0.0; friend bool operator==(const RX&, const RX&) = default; };
struct RY { double angle = 0.0; friend bool operator==(const RY&, const RY&) = default; };
struct RZ { double angle = 0.0; friend bool operator==(const RZ&, const RZ&) = default; };
// m0, m1, m2, m3 in stored order; how a back end reads them as a matrix is its own.
struct Unitary {
  std::array<Complex, 4> matrix{};
  friend bool operator==(const Unitary&, const Unitary&) = default;
};

using QuantumGate = std::variant<PauliX, PauliY, PauliZ, Hadamard, Phase, RX, RY, RZ, Unitary>;
inline constexpr std::size_t kGateVariants = std::variant_size_v<QuantumGate>;

// ---------------------------------------------------------------- ClassicalOp

enum class ClassicalOp : uint32_t {
  Eq, Neq, Gt, Geq, Lt, Leq, Add, Sub, Mul, Mod, Div, Sll, Srl, And, Or, Xor
};
inline constexpr uint32_t kClassicalOpVariants = 16;

// ------------------------------------------------------------- EndInstruction

struct Jump {
  uint64_t addr = 0;
  friend bool operator==(const Jump&, const Jump&) = default;
};
struct Branch {
  uint64_t test = 0;
  uint64_t then = 0;
  uint64_t otherwise = 0;
  friend bool operator==(const Branch&, const Branch&) = default;
};
struct Halt { friend bool operator==(const Halt&, const Halt&) = default; };

using EndInstruction = std::variant<Jump, Branch, Halt>;

// ---------------------------------------------------------------- Instruction

struct Alloc {
  bool dirty = false;
  uint64_t target = 0;
  friend bool operator==(const Alloc&, const Alloc&) = default;
};
struct Free {
  bool dirty = false;
  uint64_t target = 0;
  friend bool operator==(const Free&, const Free&) = default;
};
struct Gate {
  QuantumGate gate;
  uint64_t target = 0;
  std::vector<uint64_t> control;
  friend bool operator==(const Gate&, const Gate&) = default;
};
struct Measure {
  std::vector<uint64_t> qubits;
  uint64_t output = 0;
  friend bool operator==(const Measure&, const Measure&) = default;
};
struct Plugin {
  std::string name;
  std::vector<uint64_t> target;
  std::string args;
  friend bool operator==(const Plugin&, const Plugin&) = default;
};
struct IntOp {
  ClassicalOp op = ClassicalOp::Eq;
  uint64_t result = 0;
  uint64_t lhs = 0;
  uint64_t rhs = 0;
  friend bool operator==(const IntOp&, const IntOp&) = default;
};
struct IntSet {
  uint64_t result = 0;
  int64_t value = 0;
  friend bool operator==(const IntSet&, const IntSet&) = default;
};
struct Dump {
  std::vector<uint64_t> qubits;
  uint64_t output = 0;
  friend bool operator==(const Dump&, const Dump&) = default;
};
struct End {
  EndInstruction end;
  friend bool operator==(const End&, const End&) = default;
};

using Instruction = std::variant<Alloc, Free, Gate, Measure, Plugin, IntOp, IntSet, Dump, End>;
inline constexpr std::size_t kInstructionVariants = std::variant_size_v<Instruction>;

// ------------------------------------------------------------------ CodeBlock

// Key: number of qubits a gate acts on (controls + 1); value: how many gates.
using GateCount = std::unordered_map<uint64_t, uint64_t>;

struct CodeBlock {
  std::vector<Instruction> instructions;
  GateCount gate_count;
  uint64_t depth = 0;
  friend bool operator==(const CodeBlock&, const CodeBlock&) = default;
};

// -------------------------------------------------------------------- Metrics

struct Metrics {
  uint64_t qubit_simultaneous = 0;
  uint64_t qubit_count = 0;
  uint64_t future_count = 0;
  uint64_t dump_count = 0;
  uint64_t block_count = 0;
  std::optional<uint64_t> timeout;
  std::unordered_set<std::string> plugins;
  bool ready = false;
  friend bool operator==(const Metrics&, const Metrics&) = default;
};

// ------------------------------------------------------------------- DumpData

// The basis states of one dump, stored flat: the words of every state back
// to back, each state most significant word first. Producers give every
// state of a dump the same number of words, so state i is the `width` words
// from i * width on, and a whole dump costs one allocation. A decoded dump may
// mix widths (readers take it unchanged); only then is a table of where each
// state starts kept beside the words.
class BasisStates {
 public:
  using State = std::span<const uint64_t>;

  BasisStates() = default;
  // `count` states of `width` words each, from `words` (count * width words).
  BasisStates(std::size_t count, std::size_t width, std::vector<uint64_t> words)
      : words_(std::move(words)), count_(count), width_(width) {}
  BasisStates(std::initializer_list<std::initializer_list<uint64_t>> states) {
    for (const auto& state : states) push_back(State(state.begin(), state.size()));
  }

  std::size_t size() const noexcept { return count_; }
  bool empty() const noexcept { return count_ == 0; }
  // Every word of every state, in state order.
  const std::vector<uint64_t>& words() const noexcept { return words_; }
  // Whether all states have width() words.
  bool uniform() const noexcept { return starts_.empty(); }
  std::size_t width() const noexcept { return width_; }

  State operator[](std::size_t i) const noexcept {
    if (uniform()) return State(words_.data() + i * width_, width_);
    return State(words_.data() + starts_[i], starts_[i + 1] - starts_[i]);
  }

  void reserve(std::size_t states, std::size_t words) {
    words_.reserve(words);
    if (!uniform()) starts_.reserve(states + 1);
  }

  // Adds a state of `width` words and returns where its words go (zeroed).
  uint64_t* add_state(std::size_t width) {
    if (count_ == 0 && uniform()) width_ = width;
    if (uniform() && width != width_) {
      // The first state of another width: from here on each start is kept.
      starts_.reserve(count_ + 2);
      for (std::size_t i = 0; i <= count_; ++i) starts_.push_back(i * width_);
    }
    words_.resize(words_.size() + width);
    if (!uniform()) starts_.push_back(words_.size());
    ++count_;
    return words_.data() + words_.size() - width;
  }

  void push_back(State state) {
    uint64_t* words = add_state(state.size());
    std::copy(state.begin(), state.end(), words);
  }

  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = State;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = State;

    const_iterator() = default;
    const_iterator(const BasisStates* states, std::size_t i) noexcept : states_(states), i_(i) {}
    State operator*() const noexcept { return (*states_)[i_]; }
    State operator[](difference_type n) const noexcept { return (*states_)[i_ + n]; }
    const_iterator& operator++() noexcept { ++i_; return *this; }
    const_iterator operator++(int) noexcept { return {states_, i_++}; }
    const_iterator& operator--() noexcept { --i_; return *this; }
    const_iterator operator--(int) noexcept { return {states_, i_--}; }
    const_iterator& operator+=(difference_type n) noexcept { i_ += n; return *this; }
    const_iterator& operator-=(difference_type n) noexcept { i_ -= n; return *this; }
    friend const_iterator operator+(const_iterator it, difference_type n) noexcept { return it += n; }
    friend const_iterator operator+(difference_type n, const_iterator it) noexcept { return it += n; }
    friend const_iterator operator-(const_iterator it, difference_type n) noexcept { return it -= n; }
    friend difference_type operator-(const_iterator a, const_iterator b) noexcept {
      return static_cast<difference_type>(a.i_) - static_cast<difference_type>(b.i_);
    }
    friend bool operator==(const_iterator a, const_iterator b) noexcept { return a.i_ == b.i_; }
    friend auto operator<=>(const_iterator a, const_iterator b) noexcept { return a.i_ <=> b.i_; }

   private:
    const BasisStates* states_ = nullptr;
    std::size_t i_ = 0;
  };
  using iterator = const_iterator;

  const_iterator begin() const noexcept { return {this, 0}; }
  const_iterator end() const noexcept { return {this, count_}; }

  // Equal when they hold the same states, however each one is stored.
  friend bool operator==(const BasisStates& a, const BasisStates& b) noexcept {
    if (a.count_ != b.count_ || a.words_ != b.words_) return false;
    if (a.uniform() && b.uniform()) return a.count_ == 0 || a.width_ == b.width_;
    for (std::size_t i = 0; i < a.count_; ++i)
      if (a[i].size() != b[i].size()) return false;
    return true;
  }

 private:
  std::vector<uint64_t> words_;
  std::size_t count_ = 0;
  std::size_t width_ = 0;            // words of every state while uniform()
  std::vector<std::size_t> starts_;  // count_ + 1 starts once widths differ
};

struct Vector {
  BasisStates basis_states;
  std::vector<double> amplitudes_real;
  std::vector<double> amplitudes_imag;
  friend bool operator==(const Vector&, const Vector&) = default;
};
struct Probability {
  BasisStates basis_states;
  std::vector<double> probabilities;
  friend bool operator==(const Probability&, const Probability&) = default;
};
struct Shots {
  BasisStates basis_states;
  std::vector<uint32_t> count;
  uint64_t total = 0;
  friend bool operator==(const Shots&, const Shots&) = default;
};

using DumpData = std::variant<Vector, Probability, Shots>;

// ----------------------------------------------------------------- ResultData

struct ResultData {
  std::vector<int64_t> future;
  std::vector<DumpData> dump;
  double exec_time = 0.0;
  friend bool operator==(const ResultData&, const ResultData&) = default;
};

// ------------------------------------------------------------------- DataType

enum class DataType : int32_t { JSON = 0, BIN = 1 };

// The C interface passes data types as plain ints; anything but 0 and 1 is refused.
inline std::optional<DataType> data_type_from_int(int value) {
  if (value == 0) return DataType::JSON;
  if (value == 1) return DataType::BIN;
  return std::nullopt;
}

}  // namespace plim
