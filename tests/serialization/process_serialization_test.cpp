// The process's side of the serialised road: kept encodings lent out through
// the C functions, the data-type checks, and results taken back in.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "libplim/src/encoding/bin.hpp"
#include "libplim/src/process.hpp"
#include "plim.h"

namespace {

using namespace plim;

constexpr int kJson = 0;
constexpr int kBin = 1;

using GetSerialized = int (*)(Process*, const uint8_t**, size_t*, int*);
using SerializeKind = int (*)(Process*, int);

struct Lent {
  const uint8_t* data = nullptr;
  size_t size = 0;
  int type = -7;
  std::vector<uint8_t> copy() const { return {data, data + size}; }
};

class ProcessSerialization : public ::testing::Test {
 protected:
  ProcessSerialization() : process(std::make_unique<Process>(11)) {}

  // A process with `futures` futures (future 0 included) and `dumps` dumps,
  // whose cells the tests watch.
  void give_values(std::size_t futures, std::size_t dumps) {
    while (process->futures.size() < futures) {
      process->futures.push_back(make_empty_cell<int64_t>());
      ++process->metrics.future_count;
    }
    while (process->dumps.size() < dumps) {
      process->dumps.push_back(make_empty_cell<DumpData>());
      ++process->metrics.dump_count;
    }
  }

  int get(GetSerialized getter, Lent& lent) {
    return getter(process.get(), &lent.data, &lent.size, &lent.type);
  }

  int take(const std::vector<uint8_t>& bytes, int type) {
    return plim_process_set_serialized_result(process.get(), bytes.data(), bytes.size(), type);
  }
  int take(std::string_view json) {
    return plim_process_set_serialized_result(
        process.get(), reinterpret_cast<const uint8_t*>(json.data()), json.size(), kJson);
  }

  std::optional<double> exec_time() {
    double value = -1.0;
    if (plim_process_exec_time(process.get(), &value) != 0) {
      EXPECT_EQ(value, -1.0) << "written on failure";
      return std::nullopt;
    }
    return value;
  }

  std::unique_ptr<Process> process;
};

std::vector<uint8_t> bin_result(const ResultData& result) {
  const ByteBuffer bytes = encoding::write_result_bin(result);
  return {bytes.data(), bytes.data() + bytes.size()};
}

struct Kind {
  const char* name;
  SerializeKind serialize;
  GetSerialized get;
};
const Kind kKinds[] = {
    {"metrics", plim_process_serialize_metrics, plim_process_get_serialized_metrics},
    {"quantum code", plim_process_serialize_quantum_code,
     plim_process_get_serialized_quantum_code},
};

TEST_F(ProcessSerialization, GetAnswersOnlyAfterASerialisation) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    Lent lent;
    EXPECT_EQ(get(kind.get, lent), 2);
    EXPECT_EQ(lent.data, nullptr);
    EXPECT_EQ(lent.size, 0u);
    EXPECT_EQ(lent.type, -7);
    ASSERT_EQ(kind.serialize(process.get(), kBin), 0);
    EXPECT_EQ(get(kind.get, lent), 0);
    EXPECT_NE(lent.data, nullptr);
    EXPECT_EQ(lent.type, kBin);
  }
}

TEST_F(ProcessSerialization, LaterEncodingReplacesTheEarlierOne) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    Lent lent;
    ASSERT_EQ(kind.serialize(process.get(), kJson), 0);
    ASSERT_EQ(get(kind.get, lent), 0);
    EXPECT_EQ(lent.type, kJson);
    ASSERT_EQ(kind.serialize(process.get(), kBin), 0);
    ASSERT_EQ(get(kind.get, lent), 0);
    EXPECT_EQ(lent.type, kBin);
  }
  Lent metrics;
  ASSERT_EQ(get(plim_process_get_serialized_metrics, metrics), 0);
  EXPECT_EQ(metrics.size, 50u);
}

TEST_F(ProcessSerialization, UndefinedDataTypeChangesNothing) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    ASSERT_EQ(kind.serialize(process.get(), kBin), 0);
    Lent before;
    ASSERT_EQ(get(kind.get, before), 0);
    const std::vector<uint8_t> bytes = before.copy();
    for (int type : {2, -1}) {
      EXPECT_EQ(kind.serialize(process.get(), type), 15);
      Lent after;
      ASSERT_EQ(get(kind.get, after), 0);
      EXPECT_EQ(after.data, before.data);
      EXPECT_EQ(after.type, kBin);
      EXPECT_EQ(after.copy(), bytes);
    }
  }
  give_values(1, 0);
  const std::vector<uint8_t> result = bin_result({{0}, {}, 1.0});
  for (int type : {2, -1}) EXPECT_EQ(take(result, type), 15);
  EXPECT_EQ(exec_time(), std::nullopt);
}

TEST_F(ProcessSerialization, EncodingIsASnapshotAndCarriesTheTimeoutOnlyWhenMadeAgain) {
  ASSERT_EQ(plim_process_serialize_metrics(process.get(), kBin), 0);
  Lent lent;
  ASSERT_EQ(get(plim_process_get_serialized_metrics, lent), 0);
  ASSERT_EQ(lent.size, 50u);
  EXPECT_EQ(plim_process_set_timeout(process.get(), 10), 0);
  ASSERT_EQ(get(plim_process_get_serialized_metrics, lent), 0);
  EXPECT_EQ(lent.size, 50u);
  ASSERT_EQ(plim_process_serialize_metrics(process.get(), kBin), 0);
  ASSERT_EQ(get(plim_process_get_serialized_metrics, lent), 0);
  ASSERT_EQ(lent.size, 58u);
  EXPECT_EQ(lent.data[40], 0x01);
  EXPECT_EQ(lent.data[41], 0x0A);
  const auto metrics = encoding::read_metrics_bin({lent.data, lent.size});
  ASSERT_TRUE(metrics);
  EXPECT_EQ(*metrics, process->metrics);
}

TEST_F(ProcessSerialization, NewProcessCodeIsOneEmptyBlock) {
  ASSERT_EQ(plim_process_serialize_quantum_code(process.get(), kBin), 0);
  Lent lent;
  ASSERT_EQ(get(plim_process_get_serialized_quantum_code, lent), 0);
  EXPECT_EQ(lent.copy(), std::vector<uint8_t>({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                               0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ProcessSerialization, CodeLeavesOpenInverseScopesOut) {
  CodeBlockHandler& entry = process->blocks[0];
  ASSERT_EQ(entry.add_instruction(Alloc{false, 0}), PlimError::Success);
  ASSERT_EQ(entry.adj_begin(), PlimError::Success);
  ASSERT_EQ(entry.add_instruction(Gate{Hadamard{}, 0, {}}), PlimError::Success);
  process->blocks.emplace_back();
  ASSERT_EQ(process->blocks[1].add_instruction(End{Halt{}}), PlimError::Success);

  ASSERT_EQ(plim_process_serialize_quantum_code(process.get(), kBin), 0);
  Lent lent;
  ASSERT_EQ(get(plim_process_get_serialized_quantum_code, lent), 0);
  const auto code = encoding::read_quantum_code_bin({lent.data, lent.size});
  ASSERT_TRUE(code);
  ASSERT_EQ(code->size(), 2u);
  EXPECT_EQ((*code)[0].instructions, (std::vector<Instruction>{Alloc{false, 0}}));
  EXPECT_EQ((*code)[0].gate_count, (GateCount{{1, 1}}));
  EXPECT_EQ((*code)[1], process->blocks[1].block());
}

TEST_F(ProcessSerialization, EmptyResultIsRefusedInBothEncodings) {
  for (int type : {kJson, kBin}) {
    SCOPED_TRACE(type);
    EXPECT_EQ(plim_process_set_serialized_result(process.get(), nullptr, 0, type), 4);
  }
  EXPECT_EQ(exec_time(), std::nullopt);
}

TEST_F(ProcessSerialization, BinResultIsStoredAndTrailingBytesIgnored) {
  give_values(2, 1);
  const ResultData result{{0, 5}, {Vector{{{3}}, {1.0}, {0.0}}}, 0.25};
  std::vector<uint8_t> bytes = bin_result(result);
  bytes.insert(bytes.end(), {0xDE, 0xAD, 0xBE, 0xEF});
  ASSERT_EQ(take(bytes, kBin), 0);
  EXPECT_EQ(*process->futures[1], 5);
  EXPECT_EQ(*process->dumps[0], result.dump[0]);
  EXPECT_EQ(exec_time(), 0.25);
}

TEST_F(ProcessSerialization, JsonResultIsStored) {
  give_values(2, 1);
  ASSERT_EQ(take(R"({"future":[0,5],"dump":[{"Vector":{"basis_states":[[3]],)"
                 R"("amplitudes_real":[1.0],"amplitudes_imag":[0.0]}}],"exec_time":0.25} )"),
            0);
  EXPECT_EQ(*process->futures[1], 5);
  EXPECT_EQ(*process->dumps[0], (DumpData{Vector{{{3}}, {1.0}, {0.0}}}));
  EXPECT_EQ(exec_time(), 0.25);
}

TEST_F(ProcessSerialization, UndecodableResultLeavesTheProcessAlone) {
  give_values(2, 0);
  ASSERT_EQ(take(bin_result({{0, 1}, {}, 2.0}), kBin), 0);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int type;
  };
  std::vector<uint8_t> cut = bin_result({{0, 9}, {}, 3.0});
  cut.pop_back();
  const std::string junk = R"({"future":[0,9],"dump":[],"exec_time":3.0}x)";
  const std::string null_future = R"({"future":[0,null],"dump":[],"exec_time":3.0})";
  // Complete but for one unknown key whose text is not UTF-8.
  const std::string valid_head = R"({"future":[0,9],"dump":[],"exec_time":3.0,")";
  std::vector<uint8_t> not_utf8(valid_head.begin(), valid_head.end());
  not_utf8.insert(not_utf8.end(), {0xFF, '"', ':', '1', '}'});
  const Case cases[] = {
      {"BIN one byte short", cut, kBin},
      {"JSON trailing junk", {junk.begin(), junk.end()}, kJson},
      {"JSON null future value", {null_future.begin(), null_future.end()}, kJson},
      {"JSON not UTF-8", not_utf8, kJson},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(take(c.bytes, c.type), 4);
    EXPECT_EQ(*process->futures[1], 1);
    EXPECT_EQ(exec_time(), 2.0);
  }
}

TEST_F(ProcessSerialization, WrongNumberOfFuturesOrDumpsIsRefused) {
  give_values(3, 1);
  const ResultData stored{{0, 1, 2}, {Probability{}}, 2.0};
  ASSERT_EQ(take(bin_result(stored), kBin), 0);
  const ResultData cases[] = {
      {{0, 7}, {Probability{}}, 9.0},
      {{0, 7, 7, 7}, {Probability{}}, 9.0},
      {{0, 7, 7}, {}, 9.0},
  };
  for (const ResultData& result : cases) {
    EXPECT_EQ(take(bin_result(result), kBin), 17);
    EXPECT_EQ(*process->futures[2], 2);
    EXPECT_EQ(exec_time(), 2.0);
  }
}

TEST_F(ProcessSerialization, EachResultReplacesThePrevious) {
  give_values(2, 1);
  EXPECT_EQ(exec_time(), std::nullopt);
  ASSERT_EQ(take(bin_result({{0, 1}, {Vector{{{1}}, {1.0}, {0.0}}}, 0.5}), kBin), 0);
  EXPECT_EQ(exec_time(), 0.5);
  const DumpData second = Shots{{{0}, {1}}, {3, 5}, 8};
  ASSERT_EQ(take(bin_result({{0, -4}, {second}, 1.25}), kBin), 0);
  EXPECT_EQ(exec_time(), 1.25);
  EXPECT_EQ(*process->futures[1], -4);
  EXPECT_EQ(*process->dumps[0], second);
}

}  // namespace
