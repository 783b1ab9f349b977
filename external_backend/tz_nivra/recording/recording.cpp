// The recording variant of the library's C functions, for tests of the code
// that calls them.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "external_backend/tz_nivra/recording/tz_nivra_recording.hpp"
#include "external_backend/tz_nivra/tz_nivra.h"

struct TzEnvironment {
  int id;
};

struct TzDump {
  int id;
  std::vector<DumpEntry> records;
  int32_t count;
};

namespace {

struct DumpScript {
  std::vector<DumpEntry> records;
  int32_t count = 0;
};

// Handles stay allocated until reset, so that a second delete of the same
// handle shows in the log instead of freeing twice.
struct Recorder {
  std::vector<std::string> calls;
  std::deque<std::unique_ptr<TzEnvironment>> environments;
  std::deque<std::unique_ptr<TzDump>> dumps;
  std::deque<uint8_t> measurements;
  std::deque<DumpScript> dump_scripts;
  bool fail_next_create = false;
  // Function name and errno of the calls scripted to fail, in order.
  std::deque<std::pair<std::string, int>> failures;
};

Recorder& recorder() {
  static Recorder instance;
  return instance;
}

std::string name(const TzEnvironment* environment) {
  return environment == nullptr ? "null" : "env" + std::to_string(environment->id);
}

std::string name(const TzDump* snapshot) {
  return snapshot == nullptr ? "null" : "dump" + std::to_string(snapshot->id);
}

std::string positions(const uint32_t* address, uint32_t count) {
  if (address == nullptr) return "null";
  if (reinterpret_cast<uintptr_t>(address) % alignof(uint32_t) != 0) return "misaligned";
  std::string text = "[";
  for (uint32_t i = 0; i < count; ++i) text += (i ? ", " : "") + std::to_string(address[i]);
  return text + "]";
}

std::string number(double value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

// Like the real library, a call leaves errno as it found it, unless it was
// scripted to fail: then it sets the scripted errno on return.
class CallErrno {
 public:
  explicit CallErrno(const char* function) noexcept : found_(errno), failure_(take_failure(function)) {}
  ~CallErrno() { errno = failure_ != 0 ? failure_ : found_; }
  CallErrno(const CallErrno&) = delete;
  CallErrno& operator=(const CallErrno&) = delete;

  bool failing() const noexcept { return failure_ != 0; }

 private:
  static int take_failure(const char* function) noexcept {
    auto& failures = recorder().failures;
    const auto it = std::find_if(failures.begin(), failures.end(),
                                 [&](const auto& failure) { return failure.first == function; });
    if (it == failures.end()) return 0;
    const int error = it->second;
    failures.erase(it);
    return error;
  }

  int found_;
  int failure_;
};

// Builds and appends one line; a failure to do so loses only the line.
template <class Line>
void record(Line line) noexcept {
  try {
    recorder().calls.push_back(line());
  } catch (...) {
  }
}

void record_gate(const char* gate, const TzEnvironment* environment, uint32_t target,
                 const uint32_t* controls, uint32_t control_count) noexcept {
  const CallErrno call(gate);
  record([&] {
    return std::string(gate) + "(" + name(environment) + ", " + std::to_string(target) + ", " +
           positions(controls, control_count) + ")";
  });
}

void record_rotation(const char* gate, const TzEnvironment* environment, uint32_t target,
                     const uint32_t* controls, uint32_t control_count, double angle) noexcept {
  const CallErrno call(gate);
  record([&] {
    return std::string(gate) + "(" + name(environment) + ", " + std::to_string(target) + ", " +
           positions(controls, control_count) + ", " + number(angle) + ")";
  });
}

}  // namespace

namespace tz_nivra_recording {

const std::vector<std::string>& calls() { return recorder().calls; }

void clear_calls() { recorder().calls.clear(); }

void reset() { recorder() = Recorder{}; }

void script_measurements(std::vector<uint8_t> outcomes) {
  recorder().measurements.insert(recorder().measurements.end(), outcomes.begin(), outcomes.end());
}

void script_dump(std::vector<DumpEntry> records, int32_t count) {
  recorder().dump_scripts.push_back(DumpScript{std::move(records), count});
}

void script_create_failure() { recorder().fail_next_create = true; }

void script_failure(std::string function, int error) {
  recorder().failures.emplace_back(std::move(function), error);
}

}  // namespace tz_nivra_recording

extern "C" {

TzEnvironment* create_environment(uint32_t qubits) {
  const CallErrno call("create_environment");
  try {
    Recorder& r = recorder();
    TzEnvironment* environment = nullptr;
    if (!r.fail_next_create && !call.failing()) {
      r.environments.push_back(
          std::make_unique<TzEnvironment>(TzEnvironment{static_cast<int>(r.environments.size()) + 1}));
      environment = r.environments.back().get();
    }
    r.fail_next_create = false;
    record([&] { return "create_environment(" + std::to_string(qubits) + ") -> " + name(environment); });
    return environment;
  } catch (...) {
    return nullptr;
  }
}

void delete_environment(TzEnvironment* environment) {
  const CallErrno call("delete_environment");
  record([&] { return "delete_environment(" + name(environment) + ")"; });
}

void sigma_x(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
             uint32_t control_count) {
  record_gate("sigma_x", environment, target, controls, control_count);
}

void sigma_y(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
             uint32_t control_count) {
  record_gate("sigma_y", environment, target, controls, control_count);
}

void sigma_z(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
             uint32_t control_count) {
  record_gate("sigma_z", environment, target, controls, control_count);
}

void hadamard_(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
               uint32_t control_count) {
  record_gate("hadamard_", environment, target, controls, control_count);
}

void phase(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
           uint32_t control_count, double angle) {
  record_rotation("phase", environment, target, controls, control_count, angle);
}

void rx(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
        uint32_t control_count, double angle) {
  record_rotation("rx", environment, target, controls, control_count, angle);
}

void ry(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
        uint32_t control_count, double angle) {
  record_rotation("ry", environment, target, controls, control_count, angle);
}

void rz(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
        uint32_t control_count, double angle) {
  record_rotation("rz", environment, target, controls, control_count, angle);
}

uint8_t measure_(TzEnvironment* environment, uint32_t position) {
  const CallErrno call("measure_");
  try {
    record([&] { return "measure_(" + name(environment) + ", " + std::to_string(position) + ")"; });
    auto& outcomes = recorder().measurements;
    if (call.failing() || outcomes.empty()) return 0;
    const uint8_t outcome = outcomes.front();
    outcomes.pop_front();
    return outcome;
  } catch (...) {
    return 0;
  }
}

TzDump* dump(TzEnvironment* environment, const uint32_t* listed, uint32_t count) {
  const CallErrno call("dump");
  try {
    Recorder& r = recorder();
    if (call.failing()) {
      record([&] { return "dump(" + name(environment) + ", " + positions(listed, count) + ") -> null"; });
      return nullptr;
    }
    DumpScript script;
    if (!r.dump_scripts.empty()) {
      script = std::move(r.dump_scripts.front());
      r.dump_scripts.pop_front();
    }
    r.dumps.push_back(std::make_unique<TzDump>(
        TzDump{static_cast<int>(r.dumps.size()) + 1, std::move(script.records), script.count}));
    TzDump* snapshot = r.dumps.back().get();
    record([&] {
      return "dump(" + name(environment) + ", " + positions(listed, count) + ") -> " + name(snapshot);
    });
    return snapshot;
  } catch (...) {
    return nullptr;
  }
}

const DumpEntry* dump_data(const TzDump* snapshot, int32_t* count) {
  const CallErrno call("dump_data");
  try {
    record([&] { return "dump_data(" + name(snapshot) + ", count=" + std::to_string(*count) + ")"; });
    if (snapshot == nullptr) return nullptr;
    *count = snapshot->count;
    return snapshot->records.data();
  } catch (...) {
    return nullptr;
  }
}

void delete_dump(TzDump* snapshot) {
  const CallErrno call("delete_dump");
  record([&] { return "delete_dump(" + name(snapshot) + ")"; });
}

void swap(TzEnvironment* environment, uint64_t a, uint64_t b) {
  const CallErrno call("swap");
  record([&] {
    return "swap(" + name(environment) + ", " + std::to_string(a) + ", " + std::to_string(b) + ")";
  });
}

void plugin_pown(TzEnvironment* environment, uint32_t k, uint64_t base, uint64_t modulus) {
  const CallErrno call("plugin_pown");
  record([&] {
    return "plugin_pown(" + name(environment) + ", " + std::to_string(k) + ", " +
           std::to_string(base) + ", " + std::to_string(modulus) + ")";
  });
}

}  // extern "C"
