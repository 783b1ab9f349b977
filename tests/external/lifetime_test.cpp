#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "external/recording_fixture.hpp"

namespace {

using external_backend::ExternalBackend;
using external_test::calls;
using external_test::Lines;
using external_test::metrics_for;
using fenn::FennError;

using CreateTest = external_test::RecordingTest;
using LifetimeTest = external_test::RecordingTest;

TEST_F(CreateTest, RefusesMoreThanFiftyQubitsWithoutCallingTheLibrary) {
  auto refused = ExternalBackend::create(metrics_for(51));
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error(), FennError::TooManyQubits);
  EXPECT_EQ(calls(), Lines{});
}

TEST_F(CreateTest, FiftyQubitsAndAnyPluginNameAreAccepted) {
  plim::Metrics metrics = metrics_for(50);
  metrics.plugins = {"pown", "not-pown"};
  {
    auto made = ExternalBackend::create(metrics);
    ASSERT_TRUE(made.has_value());
  }
  EXPECT_EQ(calls(), (Lines{"create_environment(50) -> env1", "delete_environment(env1)"}));
}

TEST_F(CreateTest, NoEnvironmentFromTheLibraryIsAFailureWithNothingToRelease) {
  tz_nivra_recording::script_create_failure();
  auto refused = ExternalBackend::create(metrics_for(3));
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error(), FennError::UndefinedError);
  EXPECT_EQ(calls(), Lines{"create_environment(3) -> null"});
}

TEST_F(LifetimeTest, EveryEnvironmentIsDeletedExactlyOnce) {
  {
    ExternalBackend first = ExternalBackend::create(metrics_for(2)).value();
    ExternalBackend moved(std::move(first));
    ExternalBackend second = ExternalBackend::create(metrics_for(3)).value();
    EXPECT_EQ(std::count(calls().begin(), calls().end(), "delete_environment(env1)"), 0);
    // Assigning over a live back end releases the environment it held.
    second = std::move(moved);
    EXPECT_EQ(calls().back(), "delete_environment(env2)");
    ExternalBackend last(std::move(second));
  }
  const Lines log = calls();
  EXPECT_EQ(std::count(log.begin(), log.end(), "delete_environment(env1)"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "delete_environment(env2)"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "delete_environment(null)"), 0);
  EXPECT_EQ(log.size(), 4u);
}

}  // namespace
