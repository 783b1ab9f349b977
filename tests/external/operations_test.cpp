#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "external/recording_fixture.hpp"

namespace {

using external_backend::ExternalBackend;
using external_test::calls;
using external_test::Lines;
using fenn::FennError;
using Positions = std::vector<uint64_t>;

using GateTest = external_test::RecordingTest;
using MeasureTest = external_test::RecordingTest;
using PluginTest = external_test::RecordingTest;
using DumpTest = external_test::RecordingTest;

TEST_F(GateTest, EachGateCallsItsFunctionWithTheControlsInOrder) {
  using Apply = std::function<void(ExternalBackend&, uint64_t, fenn::Positions)>;
  struct Case {
    Apply apply;
    std::string expected_head;
    std::string expected_tail;
  };
  const Case cases[] = {
      {[](auto& b, uint64_t t, fenn::Positions c) { b.pauli_x(t, c); }, "sigma_x(env1, 3, ", ")"},
      {[](auto& b, uint64_t t, fenn::Positions c) { b.pauli_y(t, c); }, "sigma_y(env1, 3, ", ")"},
      {[](auto& b, uint64_t t, fenn::Positions c) { b.pauli_z(t, c); }, "sigma_z(env1, 3, ", ")"},
      {[](auto& b, uint64_t t, fenn::Positions c) { b.hadamard(t, c); }, "hadamard_(env1, 3, ", ")"},
      {[](auto& b, uint64_t t, fenn::Positions c) { b.phase(0.25, t, c); }, "phase(env1, 3, ", ", 0.25)"},
      {[](auto& b, uint64_t t, fenn::Positions c) { b.rx(-1.5, t, c); }, "rx(env1, 3, ", ", -1.5)"},
      {[](auto& b, uint64_t t, fenn::Positions c) { b.ry(0.1, t, c); }, "ry(env1, 3, ", ", 0.1)"},
      {[](auto& b, uint64_t t, fenn::Positions c) { b.rz(3.0, t, c); }, "rz(env1, 3, ", ", 3)"},
  };
  for (const auto& c : cases) {
    ExternalBackend backend = make();
    const Positions none;
    const Positions two{4, 1};
    c.apply(backend, 3, none);
    c.apply(backend, 3, two);
    // "[]": count 0 with a non-null, aligned address that is not read.
    EXPECT_EQ(calls(), (Lines{c.expected_head + "[]" + c.expected_tail,
                              c.expected_head + "[4, 1]" + c.expected_tail}));
  }
}

TEST_F(MeasureTest, PassesTheLibrarysOutcomeOn) {
  ExternalBackend backend = make();
  tz_nivra_recording::script_measurements({1, 0});
  auto first = backend.measure(5);
  auto second = backend.measure(0);
  ASSERT_TRUE(first.has_value() && second.has_value());
  EXPECT_EQ(*first, 1);
  EXPECT_EQ(*second, 0);
  EXPECT_EQ(calls(), (Lines{"measure_(env1, 5)", "measure_(env1, 0)"}));
}

TEST_F(PluginTest, ExchangesTargetsAroundPlugin_pown) {
  struct Case {
    Positions targets;
    std::string args;
    Lines expected;
  };
  const Case cases[] = {
      {{2, 0, 1}, "7 15", {"swap(env1, 2, 0)", "plugin_pown(env1, 3, 7, 15)", "swap(env1, 2, 0)"}},
      {{1, 2, 0}, "7 15", {"swap(env1, 1, 0)", "plugin_pown(env1, 3, 7, 15)", "swap(env1, 1, 0)"}},
      {{1, 0}, "7 15", {"plugin_pown(env1, 2, 7, 15)"}},
      {{0, 1, 2}, "7 15", {"plugin_pown(env1, 3, 7, 15)"}},
      {{}, "2 3", {"plugin_pown(env1, 0, 2, 3)"}},
      {{0}, "+18446744073709551615 15 extra", {"plugin_pown(env1, 1, 18446744073709551615, 15)"}},
  };
  for (const auto& c : cases) {
    ExternalBackend backend = make();
    // The name is not read: any name runs the same steps.
    EXPECT_TRUE(backend.plugin("not-pown", c.args, c.targets).has_value());
    EXPECT_EQ(calls(), c.expected) << c.args;
  }
}

TEST_F(PluginTest, MalformedCallsFailWithUnsupportedPlugin) {
  struct Case {
    Positions targets;
    std::string args;
    Lines expected;
  };
  const Case cases[] = {
      {{0, 3}, "7 15", {}},
      {{2, 0, 1}, "7", {"swap(env1, 2, 0)"}},
      {{2, 0, 1}, "7  15", {"swap(env1, 2, 0)"}},
      {{1, 0}, "-7 15", {}},
      {{0}, "", {}},
  };
  for (const auto& c : cases) {
    ExternalBackend backend = make();
    const auto status = backend.plugin("pown", c.args, c.targets);
    ASSERT_FALSE(status.has_value()) << '"' << c.args << '"';
    EXPECT_EQ(status.error(), FennError::UnsupportedPlugin);
    EXPECT_EQ(calls(), c.expected) << '"' << c.args << '"';
  }
}

TEST_F(DumpTest, NoRecordsGiveThreeEmptyListsAndTheDumpIsStillDeleted) {
  for (int32_t count : {0, -3}) {
    ExternalBackend backend = make();
    tz_nivra_recording::script_dump({}, count);
    const plim::DumpData data = backend.dump(Positions{2, 0});
    EXPECT_EQ(data, plim::DumpData{plim::Vector{}}) << "count " << count;
    EXPECT_EQ(calls(), (Lines{"dump(env1, [2, 0]) -> dump1", "dump_data(dump1, count=0)",
                              "delete_dump(dump1)"}));
  }
}

TEST_F(DumpTest, RecordsKeepTheLibrarysOrderAndAmplitudes) {
  ExternalBackend backend = make();
  // The eight bytes after the basis state are not the back end's to read.
  tz_nivra_recording::script_dump({{3, 0xdeadbeef, 0.5, -0.25}, {1, 0xdeadbeef, -0.75, 0.125}}, 2);
  const plim::DumpData data = backend.dump(Positions{});
  const plim::Vector expected{{{3}, {1}}, {0.5, -0.75}, {-0.25, 0.125}};
  EXPECT_EQ(data, plim::DumpData{expected});
  EXPECT_EQ(calls(), (Lines{"dump(env1, []) -> dump1", "dump_data(dump1, count=0)",
                            "delete_dump(dump1)"}));
}

}  // namespace
