// Encodes and decodes a program of a million mixed instructions and a result
// with large dumps, in both encodings, on one thread. Each figure is given in
// MB/s of encoded bytes beside memcpy of the same bytes in the same run.
// Goals: BIN >= 1000 MB/s both ways; JSON writing >= 400 MB/s, reading >= 250.
//
// Freed memory stays with the allocator here, so that repeated runs measure
// the codec and not the kernel's cost of handing out fresh pages, which on
// some virtual machines is far slower than any codec; the first-touch rate of
// fresh memory is printed for comparison.
#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "libplim/src/encoding/serialize.hpp"

namespace {

using namespace plim;
using namespace plim::encoding;
using Clock = std::chrono::steady_clock;

constexpr int kRepeats = 5;

// The best of several runs, in seconds.
double best_seconds(const std::function<void()>& work) {
  double best = 1e300;
  for (int i = 0; i < kRepeats; ++i) {
    const auto start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

std::vector<CodeBlock> mixed_program(std::size_t instructions) {
  std::mt19937_64 random(7);
  auto qubit = [&] { return random() % 64; };
  auto angle = [&] { return std::uniform_real_distribution<double>(-3.2, 3.2)(random); };
  CodeBlock block;
  block.instructions.reserve(instructions);
  for (std::size_t i = 0; block.instructions.size() + 1 < instructions; ++i) {
    switch (i % 12) {
      case 0: block.instructions.push_back(Alloc{false, qubit()}); break;
      case 1: block.instructions.push_back(Gate{Hadamard{}, qubit(), {}}); break;
      case 2: block.instructions.push_back(Gate{PauliX{}, qubit(), {qubit()}}); break;
      case 3: block.instructions.push_back(Gate{RZ{angle()}, qubit(), {}}); break;
      case 4: block.instructions.push_back(Gate{Phase{angle()}, qubit(), {qubit(), qubit()}}); break;
      case 5: block.instructions.push_back(Measure{{qubit(), qubit(), qubit()}, i}); break;
      case 6: block.instructions.push_back(IntOp{ClassicalOp::Add, i, i - 1, i - 2}); break;
      case 7: block.instructions.push_back(IntSet{i, -static_cast<int64_t>(i)}); break;
      case 8: block.instructions.push_back(Gate{RX{angle()}, qubit(), {}}); break;
      case 9: block.instructions.push_back(Plugin{"pown", {0, 1, 2, 3}, "7 15"}); break;
      case 10: block.instructions.push_back(Dump{{qubit(), qubit()}, i}); break;
      default: block.instructions.push_back(Free{false, qubit()}); break;
    }
  }
  block.instructions.push_back(End{Halt{}});
  block.gate_count = {{1, 300000}, {2, 80000}, {3, 80000}};
  block.depth = 12345;
  return {std::move(block)};
}

ResultData large_result() {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> amplitude(-1.0, 1.0);
  ResultData result;
  result.future.resize(100000);
  for (auto& value : result.future) value = static_cast<int64_t>(random());
  for (int d = 0; d < 4; ++d) {
    Vector vector;
    const std::size_t states = std::size_t{1} << 18;
    for (std::size_t s = 0; s < states; ++s) {
      const uint64_t one_word[] = {s};
      const uint64_t two_words[] = {random() & 3, random()};
      vector.basis_states.push_back(d == 3 ? BasisStates::State(two_words)
                                           : BasisStates::State(one_word));
      vector.amplitudes_real.push_back(amplitude(random));
      vector.amplitudes_imag.push_back(amplitude(random));
    }
    result.dump.push_back(std::move(vector));
  }
  result.exec_time = 12.5;
  return result;
}

// Runs `encode` and `decode`, and memcpy over as many bytes, and prints both.
template <class Encode, class Decode>
void measure(const char* name, Encode encode, Decode decode) {
  ByteBuffer bytes = encode();
  const std::size_t size = bytes.size();
  std::vector<uint8_t> copy(size);
  const double copy_time = best_seconds([&] {
    std::memcpy(copy.data(), bytes.data(), size);
    asm volatile("" : : "r"(copy.data()) : "memory");
  });
  const double encode_time = best_seconds([&] { bytes = encode(); });
  bool decoded = true;
  double decode_time = 1e300;
  for (int i = 0; i < kRepeats; ++i) {
    // The decoded value is freed outside the timed part: that is the caller's.
    const auto start = Clock::now();
    const auto value = decode(bytes);
    decode_time = std::min(decode_time, std::chrono::duration<double>(Clock::now() - start).count());
    decoded = decoded && value.has_value();
  }
  const double mb = static_cast<double>(size) / 1e6;
  std::printf("%-22s %9.1f MB  write %8.1f MB/s  read %8.1f MB/s  memcpy %8.1f MB/s  "
              "write/memcpy %.3f  read/memcpy %.3f%s\n",
              name, mb, mb / encode_time, mb / decode_time, mb / copy_time,
              copy_time / encode_time, copy_time / decode_time, decoded ? "" : "  (READ FAILED)");
}

// MB/s at which fresh memory from the system can be written once.
double first_touch_rate(std::size_t size) {
  double best = 1e300;
  for (int i = 0; i < 2; ++i) {
    const auto start = Clock::now();
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) std::abort();
    std::memset(memory, 1, size);
    asm volatile("" : : "r"(memory) : "memory");
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    munmap(memory, size);
  }
  return static_cast<double>(size) / 1e6 / best;
}

}  // namespace

int main() {
  const double touch = first_touch_rate(std::size_t{64} << 20);
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  const std::vector<CodeBlock> program = mixed_program(1000000);
  const std::vector<const CodeBlock*> blocks = block_references(program);
  const ResultData result = large_result();

  for (DataType type : {DataType::BIN, DataType::JSON}) {
    const bool bin = type == DataType::BIN;
    measure(bin ? "BIN quantum code" : "JSON quantum code",
            [&] { return encode_quantum_code(blocks, type); },
            [&](const ByteBuffer& bytes) { return decode_quantum_code(bytes.bytes(), type); });
    measure(bin ? "BIN result" : "JSON result", [&] { return encode_result(result, type); },
            [&](const ByteBuffer& bytes) { return decode_result(bytes.bytes(), type); });
  }
  std::printf("first write to fresh memory from the system: %.1f MB/s\n", touch);
  std::printf("goals: BIN >= 1000 MB/s both ways; JSON write >= 400 MB/s, read >= 250 MB/s\n");
  return 0;
}
