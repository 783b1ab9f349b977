// The engine bound to the external back end over the stand-in library.
#include <gtest/gtest.h>

#include "external_backend/src/lib/engine_external.hpp"
#include "tests/support/program.hpp"

namespace engine_test {
namespace {

using external_backend::ExternalBackend;
using namespace support;

TEST(ExternalEngine, RunsGatesAndMeasurements) {
  Program p(3, 2);
  p.block({alloc(0), alloc(1), x(0), x(1, {0}), measure({0, 1}, 1), halt()});
  auto result = p.run<ExternalBackend>();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->future[1], 3);
}

TEST(ExternalEngine, UnitaryEndsTheRunAsAnUnsupportedPlugin) {
  Program p(1, 1);
  p.block({plim::Gate{plim::Unitary{}, 0, {}}, halt()});
  auto result = p.run<ExternalBackend>();
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error(), fenn::FennError::UnsupportedPlugin);
}

}  // namespace
}  // namespace engine_test
