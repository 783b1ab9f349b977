// The simulators' construction: "pown" is the only plug-in name they run.
// The external back end reads no name.
#include "tests/quantum_execution/contract_fixture.hpp"

namespace contract_test {
namespace {

template <class B>
class SimulatorConstruction : public ::testing::Test {};
TYPED_TEST_SUITE(SimulatorConstruction, Simulators, BackEndNames);

TYPED_TEST(SimulatorConstruction, PownIsTheOnlyPluginName) {
  struct Case {
    std::vector<std::string> plugins;
    bool accepted;
  };
  const Case cases[] = {
      {{}, true},
      {{"pown"}, true},
      {{"pown", "Pown"}, false},
      {{"pow"}, false},
      {{"pown "}, false},
      {{std::string("pown\0", 5)}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.plugins.empty() ? std::string("{}") : c.plugins.back());
    auto created = TypeParam::create(support::metrics_for(3, c.plugins));
    ASSERT_EQ(created.has_value(), c.accepted);
    if (!c.accepted) {
      EXPECT_EQ(created.error(), fenn::FennError::UnsupportedPlugin);
    }
  }
}

}  // namespace
}  // namespace contract_test
