// What the BIN readers refuse, what they ignore after the value, and that a
// forged count never makes them reserve memory that the input cannot back.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "encoding/bin_bytes.hpp"
#include "libplim/src/encoding/bin.hpp"

namespace {

using namespace plim;
using namespace plim::encoding;
using bin_test::Bytes;

enum class Reader { Metrics, QuantumCode, Result };

// The reader's failure description, or nothing when it accepted the input.
std::optional<std::string> refusal(Reader reader, std::span<const uint8_t> input) {
  switch (reader) {
    case Reader::Metrics: {
      auto decoded = read_metrics_bin(input);
      if (decoded) return std::nullopt;
      return decoded.error().description;
    }
    case Reader::QuantumCode: {
      auto decoded = read_quantum_code_bin(input);
      if (decoded) return std::nullopt;
      return decoded.error().description;
    }
    case Reader::Result: {
      auto decoded = read_result_bin(input);
      if (decoded) return std::nullopt;
      return decoded.error().description;
    }
  }
  return std::nullopt;
}

Bytes metrics_head() { return Bytes().u64(1).u64(1).u64(1).u64(0).u64(1); }
// One block holding one instruction, given by its bytes, and nothing else.
Bytes code_with(const Bytes& instruction) {
  return Bytes().u64(1).u64(1).append(instruction).u64(0).u64(0);
}
Bytes result_with_dump(const Bytes& dump) {
  return Bytes().u64(1).u64(0).u64(1).append(dump).f64(0.0);
}

struct RefusalCase {
  const char* name;
  Reader reader;
  Bytes input;
  const char* expected;  // part of the description
};

TEST(BinRefusal, EachViolationIsRefusedWithItsDescription) {
  const RefusalCase cases[] = {
      {"empty metrics", Reader::Metrics, Bytes(), "end of input"},
      {"timeout tag 2", Reader::Metrics, metrics_head().u8(2).u64(0).u8(0), "integer `2`"},
      {"ready byte 2", Reader::Metrics, metrics_head().u8(0).u64(0).u8(2), "expected a boolean"},
      {"name not UTF-8", Reader::Metrics, metrics_head().u8(0).u64(1).u64(2).raw({0xC3, 0x28}).u8(0), "UTF-8"},
      {"instruction index 9", Reader::QuantumCode, code_with(Bytes().u32(9)), "variant index 0 <= i < 9"},
      {"gate index 9", Reader::QuantumCode, code_with(Bytes().u32(2).u32(9).u64(0).u64(0)), "variant index 0 <= i < 9"},
      {"classical op 16", Reader::QuantumCode, code_with(Bytes().u32(5).u32(16).u64(0).u64(0).u64(0)), "variant index 0 <= i < 16"},
      {"terminator 3", Reader::QuantumCode, code_with(Bytes().u32(8).u32(3)), "variant index 0 <= i < 3"},
      {"dirty byte 2", Reader::QuantumCode, code_with(Bytes().u32(0).u8(2).u64(0)), "expected a boolean"},
      {"plugin args not UTF-8", Reader::QuantumCode, code_with(Bytes().u32(4).string("pown").u64(0).u64(1).raw({0xFF})), "UTF-8"},
      {"dump variant 3", Reader::Result, result_with_dump(Bytes().u32(3).u64(0).u64(0)), "variant index 0 <= i < 3"},
      {"index 2^32 - 1", Reader::Result, result_with_dump(Bytes().u32(UINT32_MAX)), "integer `4294967295`"},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<std::string> description = refusal(c.reader, c.input.span());
    ASSERT_TRUE(description.has_value());
    EXPECT_NE(description->find(c.expected), std::string::npos) << *description;
  }
}

TEST(BinRefusal, Utf8IsCheckedByItsRules) {
  struct Case {
    const char* name;
    std::vector<uint8_t> text;
    bool valid;
  };
  const Case cases[] = {
      {"ascii", {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i'}, true},
      {"two bytes", {0xC3, 0xA9}, true},
      {"three bytes", {0xE2, 0x82, 0xAC}, true},
      {"four bytes", {0xF0, 0x9F, 0x98, 0x80}, true},
      {"largest code point", {0xF4, 0x8F, 0xBF, 0xBF}, true},
      {"after eight ascii", {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0xC3, 0xA9}, true},
      {"lone continuation", {0x80}, false},
      {"overlong slash", {0xC0, 0xAF}, false},
      {"overlong three", {0xE0, 0x80, 0xAF}, false},
      {"surrogate", {0xED, 0xA0, 0x80}, false},
      {"beyond U+10FFFF", {0xF4, 0x90, 0x80, 0x80}, false},
      {"lead F5", {0xF5, 0x80, 0x80, 0x80}, false},
      {"cut sequence", {'a', 0xE2, 0x82}, false},
      {"bad continuation", {0xE2, 0x28, 0xA1}, false},
      {"invalid after eight ascii", {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0xFF}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes input = metrics_head().u8(0).u64(1).u64(c.text.size());
    input.data.insert(input.data.end(), c.text.begin(), c.text.end());
    input.u8(1);
    EXPECT_EQ(refusal(Reader::Metrics, input.span()).has_value(), !c.valid);
  }
}

// Values whose encodings the cut and trailing-byte tests take apart.
std::vector<std::pair<Reader, ByteBuffer>> whole_encodings() {
  Metrics metrics;
  metrics.timeout = 3;
  metrics.plugins = {"pown", "other"};
  metrics.ready = true;

  CodeBlock entry;
  entry.instructions = {Alloc{false, 0}, Gate{RY{0.25}, 0, {1}}, Gate{Unitary{}, 1, {}},
                        Measure{{0, 1}, 1}, Plugin{"pown", {0, 1}, "3 5"},
                        IntOp{ClassicalOp::Add, 2, 1, 1}, IntSet{3, -7}, Dump{{1, 0}, 0},
                        Free{true, 0}, End{Branch{2, 1, 0}}};
  entry.gate_count = {{1, 1}, {2, 1}};
  entry.depth = 2;
  CodeBlock second;
  second.instructions = {End{Jump{0}}};
  const CodeBlock* blocks[] = {&entry, &second};

  const ResultData result{{0, -1, 2},
                          {Vector{{{1, 2}}, {0.5}, {0.5}}, Probability{{{0}}, {1.0}},
                           Shots{{{1}}, {4}, 4}},
                          1.5};

  std::vector<std::pair<Reader, ByteBuffer>> encodings;
  encodings.emplace_back(Reader::Metrics, write_metrics_bin(metrics));
  encodings.emplace_back(Reader::QuantumCode, write_quantum_code_bin(blocks));
  encodings.emplace_back(Reader::Result, write_result_bin(result));
  return encodings;
}

TEST(BinRefusal, EveryCutShortOfTheLastByteIsRefused) {
  for (const auto& [reader, bytes] : whole_encodings()) {
    SCOPED_TRACE(static_cast<int>(reader));
    for (std::size_t length = 0; length < bytes.size(); ++length) {
      SCOPED_TRACE(length);
      EXPECT_TRUE(refusal(reader, bytes.bytes().first(length)).has_value());
    }
    EXPECT_FALSE(refusal(reader, bytes.bytes()).has_value());
  }
}

TEST(BinRefusal, BytesAfterTheValueAreIgnored) {
  const auto encodings = whole_encodings();
  const ByteBuffer& metrics = encodings[0].second;
  const ByteBuffer& code = encodings[1].second;
  const ByteBuffer& result = encodings[2].second;
  EXPECT_EQ(*read_metrics_bin(bin_test::from(metrics).raw({0xFF, 0x02, 0x00}).span()),
            *read_metrics_bin(metrics.bytes()));
  EXPECT_EQ(*read_quantum_code_bin(bin_test::from(code).u32(99).span()),
            *read_quantum_code_bin(code.bytes()));
  EXPECT_EQ(*read_result_bin(bin_test::from(result).u64(UINT64_MAX).span()),
            *read_result_bin(result.bytes()));
}

// Each count or length says 2^63 (or 2^64 - 1) with only a few bytes behind it;
// a reader that trusted it would throw or exhaust memory instead of refusing.
TEST(BinRefusal, ForgedCountsAreRefusedWithoutReserving) {
  const uint64_t huge = uint64_t{1} << 63;
  const RefusalCase cases[] = {
      {"name length", Reader::Metrics, metrics_head().u8(0).u64(1).u64(huge).text("pown").u8(0), "end of input"},
      {"plugin count", Reader::Metrics, metrics_head().u8(0).u64(UINT64_MAX).string("a").u8(0), "end of input"},
      {"block count", Reader::QuantumCode, Bytes().u64(UINT64_MAX).u64(0).u64(0).u64(0), "end of input"},
      {"instruction count", Reader::QuantumCode, Bytes().u64(1).u64(huge).u32(8).u32(2), "end of input"},
      {"control count", Reader::QuantumCode, code_with(Bytes().u32(2).u32(0).u64(0).u64(huge).u64(1)), "end of input"},
      {"gate count entries", Reader::QuantumCode, Bytes().u64(1).u64(0).u64(UINT64_MAX).u64(1).u64(1), "end of input"},
      {"plugin name", Reader::QuantumCode, code_with(Bytes().u32(4).u64(huge).text("pown")), "end of input"},
      {"future count", Reader::Result, Bytes().u64(huge).u64(1).u64(0).f64(0.0), "end of input"},
      {"dump count", Reader::Result, Bytes().u64(0).u64(huge).u32(1).u64(0).u64(0), "end of input"},
      {"basis state count", Reader::Result, result_with_dump(Bytes().u32(1).u64(UINT64_MAX).u64(0)), "end of input"},
      {"words", Reader::Result, result_with_dump(Bytes().u32(1).u64(1).u64(UINT64_MAX / 8 + 1)), "end of input"},
      {"shot counts", Reader::Result, result_with_dump(Bytes().u32(2).u64(0).u64(UINT64_MAX / 4 + 1).u32(1)), "end of input"},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<std::string> description = refusal(c.reader, c.input.span());
    ASSERT_TRUE(description.has_value());
    EXPECT_NE(description->find(c.expected), std::string::npos) << *description;
  }
}

}  // namespace
