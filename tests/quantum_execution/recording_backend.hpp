// A back end that simulates nothing: it records every call the engine makes
// and answers measurements, plug-in calls and dumps from a script.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "fenn/src/quantum_execution/backend.hpp"

namespace engine_test {

struct Call {
  std::string op;  // "pauli_x", ..., "unitary", "measure", "plugin", "dump"
  uint64_t target = 0;
  std::vector<uint64_t> positions;  // controls, plug-in targets or dump positions
  double angle = 0.0;
  std::string text;  // plug-in name and args, "name|args"
  friend bool operator==(const Call&, const Call&) = default;
};

// What the recording back ends answer, shared so that back ends built by
// run_and_set_result follow it too.
struct Script {
  std::vector<Call> calls;
  std::deque<uint8_t> outcomes;  // measure answers, in call order; 0 when exhausted
  fenn::Status plugin_status;
  std::optional<fenn::FennError> create_error;
  std::chrono::milliseconds gate_delay{0};  // each pauli_x sleeps this long
  plim::DumpData dump_answer = plim::Vector{{{7}}, {0.5}, {0.25}};

  static Script& get() {
    static Script script;
    return script;
  }
  static void reset() { get() = Script{}; }
};

template <bool Unitary>
class RecordingBackendOf {
 public:
  static constexpr bool supports_unitary = Unitary;

  static fenn::FennResult<RecordingBackendOf> create(const plim::Metrics&) {
    if (Script::get().create_error) return plim::Unexpected{*Script::get().create_error};
    return RecordingBackendOf{};
  }

  void pauli_x(uint64_t t, fenn::Positions c) {
    std::this_thread::sleep_for(Script::get().gate_delay);
    record("pauli_x", t, c);
  }
  void pauli_y(uint64_t t, fenn::Positions c) { record("pauli_y", t, c); }
  void pauli_z(uint64_t t, fenn::Positions c) { record("pauli_z", t, c); }
  void hadamard(uint64_t t, fenn::Positions c) { record("hadamard", t, c); }
  void phase(double a, uint64_t t, fenn::Positions c) { record("phase", t, c, a); }
  void rx(double a, uint64_t t, fenn::Positions c) { record("rx", t, c, a); }
  void ry(double a, uint64_t t, fenn::Positions c) { record("ry", t, c, a); }
  void rz(double a, uint64_t t, fenn::Positions c) { record("rz", t, c, a); }
  void unitary(const fenn::Matrix& m, uint64_t t, fenn::Positions c)
    requires Unitary
  {
    record("unitary", t, c, m[0].re);
  }

  fenn::FennResult<uint8_t> measure(uint64_t position) {
    record("measure", position, {});
    auto& outcomes = Script::get().outcomes;
    if (outcomes.empty()) return uint8_t{0};
    const uint8_t bit = outcomes.front();
    outcomes.pop_front();
    return bit;
  }

  fenn::Status plugin(std::string_view name, std::string_view args, fenn::Positions targets) {
    record("plugin", 0, targets, 0.0, std::string(name) + "|" + std::string(args));
    return Script::get().plugin_status;
  }

  plim::DumpData dump(fenn::Positions positions) {
    record("dump", 0, positions);
    return Script::get().dump_answer;
  }

 private:
  static void record(const char* op, uint64_t target, fenn::Positions positions, double angle = 0.0,
                     std::string text = {}) {
    Script::get().calls.push_back(
        Call{op, target, {positions.begin(), positions.end()}, angle, std::move(text)});
  }
};

using RecordingBackend = RecordingBackendOf<true>;
using NoUnitaryBackend = RecordingBackendOf<false>;
static_assert(fenn::QuantumExecution<RecordingBackend>);
static_assert(fenn::QuantumExecution<NoUnitaryBackend>);

}  // namespace engine_test
