// Processes built through the builder and run in place on each back end: a
// GHZ state at the external library's largest register, its refusal one
// qubit above, and a measured Bell pair.
#include <cmath>
#include <memory>
#include <set>

#include "fenn/src/c_wrapper/run_roads.hpp"
#include "tests/quantum_execution/agreement.hpp"
#include "tests/support/built_process.hpp"

namespace agreement_test {
namespace {

// |0...0> + |1...1> over every qubit, built and dumped through the builder.
struct Ghz : support::BuiltProcess {
  std::unique_ptr<Dump> listed;

  explicit Ghz(unsigned count) : BuiltProcess(count) {
    entangle();
    listed = dump();
    prepare();
  }
};

template <class B>
void expect_ghz(unsigned count, const char* name) {
  SCOPED_TRACE(name);
  Ghz ghz(count);
  const fenn::Status status = fenn::run_and_set_result<B>(ghz.process());
  ASSERT_TRUE(status.has_value()) << "code " << static_cast<int>(status.error());
  ASSERT_TRUE(ghz.listed->value->has_value());
  const Amplitudes entries = as_map(**ghz.listed->value);
  const uint64_t all_ones = (uint64_t{1} << count) - 1;
  const double half = 1.0 / std::sqrt(2.0);
  EXPECT_EQ(entries.size(), 2u);
  for (uint64_t state : {uint64_t{0}, all_ones}) {
    const C a = amplitude_at(entries, state);
    EXPECT_NEAR(a.real(), half, kTolerance) << "state " << state;
    EXPECT_NEAR(a.imag(), 0.0, kTolerance) << "state " << state;
  }
}

TEST(BackEndsAgree, FiftyQubitGhzState) {
  expect_ghz<ExternalBackend>(50, "external");
  expect_ghz<SparseSimulator>(50, "sparse");
}

TEST(BackEndsAgree, ExternalRefusesFiftyOneQubits) {
  Ghz ghz(51);
  const fenn::Status status = fenn::run_and_set_result<ExternalBackend>(ghz.process());
  ASSERT_FALSE(status.has_value());
  EXPECT_EQ(status.error(), fenn::FennError::TooManyQubits);
  EXPECT_FALSE(ghz.listed->value->has_value());
  // The sparse simulator has no such limit.
  expect_ghz<SparseSimulator>(51, "sparse");
}

// Measured together, the two qubits of a Bell pair read 00 or 11; over many
// runs both readings turn up.
template <class B>
void expect_bell_readings(const char* name) {
  SCOPED_TRACE(name);
  std::set<int64_t> seen;
  for (int run = 0; run < 64; ++run) {
    support::BuiltProcess bell(2);
    bell.entangle();
    const std::unique_ptr<Future> future = bell.measure();
    bell.prepare();
    const fenn::Status status = fenn::run_and_set_result<B>(bell.process());
    ASSERT_TRUE(status.has_value()) << "code " << static_cast<int>(status.error());
    ASSERT_TRUE(future->value->has_value());
    const int64_t reading = **future->value;
    ASSERT_TRUE(reading == 0 || reading == 3) << "read " << reading;
    seen.insert(reading);
  }
  EXPECT_EQ(seen.size(), 2u) << "one reading only in 64 runs";
}

TEST(BackEndsAgree, MeasuredBellPairReadsEqualBits) {
  expect_bell_readings<DenseSimulator>("dense");
  expect_bell_readings<SparseSimulator>("sparse");
  expect_bell_readings<ExternalBackend>("external");
}

}  // namespace
}  // namespace agreement_test
