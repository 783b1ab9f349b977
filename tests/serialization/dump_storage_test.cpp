// How a dump's basis states are kept: one flat list of words, lent to the
// host in place through plim_dump_state, also when a result read from
// either encoding mixes states of different widths.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "libplim/src/encoding/serialize.hpp"
#include "libplim/src/object.hpp"
#include "plim.h"

namespace {

using plim::BasisStates;

TEST(BasisStates, EqualWhenTheyHoldTheSameStates) {
  BasisStates pushed;
  for (uint64_t state : {5, 6, 7}) pushed.push_back(std::vector<uint64_t>{0, state});
  const BasisStates flat(3, 2, {0, 5, 0, 6, 0, 7});
  EXPECT_TRUE(pushed.uniform());
  EXPECT_EQ(pushed, flat);
  EXPECT_EQ(pushed, (BasisStates{{0, 5}, {0, 6}, {0, 7}}));

  struct Case {
    const char* name;
    BasisStates a, b;
    bool equal;
  };
  const Case cases[] = {
      {"same words cut differently", {{1, 2}, {3}}, {{1}, {2, 3}}, false},
      {"widths that differ from the second state on", {{1}, {2, 3}, {}}, {{1}, {2, 3}, {}}, true},
      {"a ragged list against a uniform one", {{1}, {2, 3}}, BasisStates(2, 1, {1, 2}), false},
      {"empty states count", BasisStates(2, 0, {}), BasisStates(3, 0, {}), false},
      {"no states, whatever the width", BasisStates(0, 3, {}), BasisStates{}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.a == c.b, c.equal);
  }
}

TEST(BasisStates, RaggedStatesKeepTheirOwnWidths) {
  BasisStates states{{1}, {2, 3}, {}, {4}};
  EXPECT_FALSE(states.uniform());
  ASSERT_EQ(states.size(), 4u);
  const std::vector<std::vector<uint64_t>> expected = {{1}, {2, 3}, {}, {4}};
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(std::vector<uint64_t>(states[i].begin(), states[i].end()), expected[i]) << i;
  EXPECT_EQ(states.words(), (std::vector<uint64_t>{1, 2, 3, 4}));
}

std::vector<uint8_t> encoded(const plim::ResultData& result, plim::DataType type) {
  const plim::ByteBuffer bytes = plim::encoding::encode_result(result, type);
  return {bytes.data(), bytes.data() + bytes.size()};
}

// A process holding one dump, taking a result through the C interface, and
// the words of every state read back through the dump handle.
TEST(DumpStorage, StatesAreLentFromOneFlatList) {
  const plim::ResultData uniform{{0}, {plim::Vector{{{0, 1}, {0, 2}, {7, 3}}, {1, 2, 3}, {0, 0, 0}}}, 0.5};
  const plim::ResultData ragged{{0}, {plim::Shots{{{1}, {2, 3}, {}, {4}}, {1, 1, 1, 1}, 4}}, 0.5};
  struct Case {
    const char* name;
    const plim::ResultData& result;
    plim::DataType type;
  };
  const Case cases[] = {
      {"uniform, JSON", uniform, plim::DataType::JSON},
      {"uniform, BIN", uniform, plim::DataType::BIN},
      {"ragged, JSON", ragged, plim::DataType::JSON},
      {"ragged, BIN", ragged, plim::DataType::BIN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Process* process = nullptr;
    ASSERT_EQ(plim_process_new(1, &process), 0);
    Qubit* qubit = nullptr;
    ASSERT_EQ(plim_process_allocate_qubit(process, false, &qubit), 0);
    ::Dump* dump = nullptr;
    ASSERT_EQ(plim_process_dump(process, &qubit, 1, &dump), 0);
    const std::vector<uint8_t> bytes = encoded(c.result, c.type);
    ASSERT_EQ(plim_process_set_serialized_result(process, bytes.data(), bytes.size(),
                                                 static_cast<int>(c.type)),
              0);
    const plim::BasisStates& expected =
        std::visit([](const auto& payload) -> const auto& { return payload.basis_states; },
                   c.result.dump[0]);
    std::size_t states = 0;
    ASSERT_EQ(plim_dump_states_size(dump, &states), 0);
    ASSERT_EQ(states, expected.size());
    const uint64_t* previous_end = nullptr;
    for (std::size_t i = 0; i < states; ++i) {
      const uint64_t* words = nullptr;
      std::size_t size = 99;
      ASSERT_EQ(plim_dump_state(dump, i, &words, &size), 0);
      ASSERT_NE(words, nullptr);
      EXPECT_EQ(std::vector<uint64_t>(words, words + size),
                std::vector<uint64_t>(expected[i].begin(), expected[i].end()));
      // Each state's words follow the previous state's in the one list.
      if (size == 0) continue;
      if (previous_end != nullptr) {
        EXPECT_EQ(words, previous_end);
      }
      previous_end = words + size;
    }
    plim_dump_delete(dump);
    plim_qubit_delete(qubit);
    plim_process_delete(process);
  }
}

}  // namespace
