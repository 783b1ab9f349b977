// A sequence of builder calls decoded from the fuzzer's bytes: every plim_*
// function, with arbitrary numbers and flags and with handles chosen among
// the live handles of up to two processes whose pids may be equal. Each call
// must answer one of its own codes, write its out-parameter only on success,
// and leave the process as it was when it refuses, except for the effects
// that come before a refused append. Now and then a process runs on a back
// end, within the bounds of run_bounds.hpp.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "fenn.h"
#include "fuzz/check.hpp"
#include "fuzz/handle_snapshot.hpp"
#include "fuzz/run_bounds.hpp"
#include "libplim/src/encoding/serialize.hpp"
#include "libplim/src/process.hpp"
#include "plim.h"
#include "tessor_nivra.h"

namespace {

using plim::PlimError;

constexpr int code(PlimError error) { return static_cast<int>(error); }
constexpr int kTerminated = code(PlimError::TerminatedBlock);
constexpr int kNonGate = code(PlimError::NonGateInstruction);

// Every part of a process that a building operation may change.
struct State {
  plim::Metrics metrics;
  std::vector<uint8_t> code;
  uint64_t allocated_qubits = 0;
  uint64_t current_block = 0;
  std::vector<std::vector<uint64_t>> ctrl_stack;
  std::vector<uint64_t> deallocated;  // sorted
  std::vector<std::size_t> open_scopes;
  std::vector<std::optional<int64_t>> futures;
  std::vector<bool> dumps;
  std::optional<double> exec_time;
  std::optional<std::vector<uint8_t>> serialized_metrics;
  std::optional<std::vector<uint8_t>> serialized_code;

  bool operator==(const State& other) const {
    const bool same_time = exec_time.has_value() == other.exec_time.has_value() &&
                           (!exec_time || fuzz::same(*exec_time, *other.exec_time));
    return metrics == other.metrics && code == other.code &&
           allocated_qubits == other.allocated_qubits && current_block == other.current_block &&
           ctrl_stack == other.ctrl_stack && deallocated == other.deallocated &&
           open_scopes == other.open_scopes &&
           futures == other.futures && dumps == other.dumps && same_time &&
           serialized_metrics == other.serialized_metrics &&
           serialized_code == other.serialized_code;
  }
};

std::optional<std::vector<uint8_t>> kept(const std::optional<plim::SerializedData>& data) {
  if (!data) return std::nullopt;
  const auto bytes = data->bytes.bytes();
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

State state_of(const ::Process& p) {
  State s;
  s.metrics = p.metrics;
  const plim::ByteBuffer code =
      plim::encoding::encode_quantum_code(p.get_quantum_code(), plim::DataType::BIN);
  s.code.assign(code.bytes().begin(), code.bytes().end());
  s.allocated_qubits = p.allocated_qubits;
  s.current_block = p.current_block;
  s.ctrl_stack = p.ctrl_stack;
  for (uint64_t q = 0; q < p.deallocated_qubits.size(); ++q)
    if (p.deallocated_qubits[q]) s.deallocated.push_back(q);
  for (const auto& block : p.blocks)
    for (const auto& scope : block.adj_instructions()) s.open_scopes.push_back(scope.size());
  for (const auto& cell : p.futures) s.futures.push_back(*cell);
  for (const auto& cell : p.dumps) s.dumps.push_back(cell->has_value());
  s.exec_time = p.exec_time;
  s.serialized_metrics = kept(p.serialized_metrics);
  s.serialized_code = kept(p.serialized_quantum_code);
  return s;
}

struct QubitEntry {
  ::Qubit* handle;
  bool allocated;
  bool measured;
};

template <class T>
struct Owned {
  T* handle;
  ::Process* owner;  // null once the process is deleted
};

const char* const kPluginNames[] = {"pown", "Pown", "", "other"};

class Sequence {
 public:
  explicit Sequence(FuzzedDataProvider& in) : in_(in) {}

  ~Sequence() {
    for (::Process* p : processes_)
      if (p) plim_process_delete(p);
    for (::Features* f : features_) plim_features_delete(f);
    for (auto& q : qubits_) plim_qubit_delete(q.handle);
    for (auto& f : futures_) plim_future_delete(f.handle);
    for (::Label* l : labels_) plim_label_delete(l);
    for (auto& d : dumps_) plim_dump_delete(d.handle);
  }

  void step() {
    const int op = in_.ConsumeIntegralInRange(0, 38);
    if (op == 0) return make_process();
    if (op == 1) return delete_process();
    if (op <= 5) return features(op);
    if (op >= 31 && op <= 37) return handles(op);
    const std::size_t slot = in_.ConsumeIntegralInRange<std::size_t>(0, 1);
    ::Process* p = processes_[slot];
    if (!p) return make_process();
    building(op, p);
  }

 private:
  // ------------------------------------------------------------ choosing
  template <class T>
  std::optional<std::size_t> pick(const std::vector<T>& pool) {
    if (pool.empty()) return std::nullopt;
    return in_.ConsumeIntegralInRange<std::size_t>(0, pool.size() - 1);
  }

  std::vector<std::size_t> pick_qubits() {
    std::vector<std::size_t> chosen;
    const std::size_t count = in_.ConsumeIntegralInRange<std::size_t>(0, 4);
    for (std::size_t i = 0; i < count && !qubits_.empty(); ++i) chosen.push_back(*pick(qubits_));
    return chosen;
  }

  std::vector<::Qubit*> handles_of(const std::vector<std::size_t>& chosen) {
    std::vector<::Qubit*> list;
    for (std::size_t i : chosen) list.push_back(qubits_[i].handle);
    return list;
  }

  // A flag byte: clear or set as ConsumeBool would have it, and when set any
  // byte but 0, so that bytes other than 1 reach the library too.
  unsigned char flag_byte() {
    const uint8_t b = in_.ConsumeIntegral<uint8_t>();
    if ((b & 1) == 0) return 0;
    return b == 1 ? 1 : static_cast<unsigned char>(b & 0xFE);
  }

  std::string text() {
    static const char alphabet[] = "0123456789 ,-x";
    std::string s;
    const std::size_t length = in_.ConsumeIntegralInRange<std::size_t>(0, 12);
    for (std::size_t i = 0; i < length; ++i)
      s.push_back(alphabet[in_.ConsumeIntegralInRange<std::size_t>(0, sizeof alphabet - 2)]);
    return s;
  }

  // ------------------------------------------------------- the qubit model
  void check_qubit_flags() {
    for (const QubitEntry& q : qubits_) {
      bool allocated = !q.allocated;
      bool measured = !q.measured;
      FUZZ_CHECK(plim_qubit_allocated(q.handle, &allocated) == 0);
      FUZZ_CHECK(plim_qubit_measured(q.handle, &measured) == 0);
      FUZZ_CHECK(allocated == q.allocated && measured == q.measured);
    }
  }

  // ------------------------------------------------------------ processes
  void make_process() {
    const std::size_t slot = processes_[0] ? 1 : 0;
    if (processes_[slot]) return;
    const uint64_t pid = in_.ConsumeBool() && processes_[1 - slot]
                             ? processes_[1 - slot]->pid
                             : in_.ConsumeIntegralInRange<uint64_t>(0, 3);
    ::Process* p = reinterpret_cast<::Process*>(uintptr_t{0x5e17});
    FUZZ_CHECK(plim_process_new(pid, &p) == 0);
    processes_[slot] = p;
  }

  void delete_process() {
    const std::size_t slot = in_.ConsumeIntegralInRange<std::size_t>(0, 1);
    ::Process* p = processes_[slot];
    if (!p) return;
    FUZZ_CHECK(plim_process_delete(p) == 0);
    processes_[slot] = nullptr;
    for (auto& f : futures_)
      if (f.owner == p) f.owner = nullptr;
    for (auto& d : dumps_)
      if (d.owner == p) d.owner = nullptr;
  }

  void features(int op) {
    if (op == 2) {
      if (features_.size() >= 3) return;
      ::Features* f = nullptr;
      switch (in_.ConsumeIntegralInRange(0, 2)) {
        case 0: {
          unsigned char flags[7];
          for (unsigned char& flag : flags) flag = flag_byte();
          FUZZ_CHECK(plim_features_new(flags[0], flags[1], flags[2], flags[3], flags[4], flags[5],
                                       flags[6], &f) == 0);
          break;
        }
        case 1: FUZZ_CHECK(plim_features_all(&f) == 0); break;
        default: FUZZ_CHECK(plim_features_none(&f) == 0); break;
      }
      features_.push_back(f);
      return;
    }
    const auto i = pick(features_);
    if (!i) return;
    if (op == 3) {
      FUZZ_CHECK(plim_features_register_plugin(features_[*i], kPluginNames[in_.ConsumeIntegralInRange(0, 3)]) == 0);
    } else if (op == 4) {
      FUZZ_CHECK(plim_features_delete(features_[*i]) == 0);
      features_.erase(features_.begin() + static_cast<std::ptrdiff_t>(*i));
    } else {
      ::Process* p = processes_[in_.ConsumeIntegralInRange<std::size_t>(0, 1)];
      if (p) FUZZ_CHECK(plim_process_set_features(p, features_[*i]) == 0);
    }
  }

  // ----------------------------------------------------- building operations
  // A new handle carries the next number of its kind and the process's pid.
  // The readers are called directly, never through a pointer: the future
  // readers are the qubit readers under a second name, and a call through a
  // pointer of the future type would not match the definition's own type.
  template <class T>
  static void check_numbered(T* handle, uint64_t expected, const ::Process* p) {
    uint64_t index = ~expected;
    uint64_t pid = ~p->pid;
    int answers = 0;
    if constexpr (std::is_same_v<T, ::Qubit>)
      answers = plim_qubit_index(handle, &index) | plim_qubit_pid(handle, &pid);
    else if constexpr (std::is_same_v<T, ::Future>)
      answers = plim_future_index(handle, &index) | plim_future_pid(handle, &pid);
    else
      answers = plim_label_index(handle, &index) | plim_label_pid(handle, &pid);
    FUZZ_CHECK(answers == 0 && index == expected && pid == p->pid);
  }

  template <class T>
  void deliver(int answer, T* out, T* sentinel, std::vector<T*>& pool) {
    if (answer != 0) {
      FUZZ_CHECK(out == sentinel);
      return;
    }
    FUZZ_CHECK(out != sentinel);
    pool.push_back(out);
  }

  template <class T>
  void deliver(int answer, T* out, T* sentinel, std::vector<Owned<T>>& pool, ::Process* owner) {
    if (answer != 0) {
      FUZZ_CHECK(out == sentinel);
      return;
    }
    FUZZ_CHECK(out != sentinel);
    pool.push_back({out, owner});
  }

  void building(int op, ::Process* p) {
    const State before = state_of(*p);
    State expected_after_append = before;  // for refusals of the append
    std::vector<int> codes = {0};
    int answer = 0;
    const Features& features = p->features;

    switch (op) {
      case 6: {
        codes = {0, 19, 7, 13};
        ::Qubit* const sentinel = reinterpret_cast<::Qubit*>(uintptr_t{0x5e17});
        ::Qubit* q = sentinel;
        answer = plim_process_allocate_qubit(p, flag_byte(), &q);
        if (answer == 0 || answer == kNonGate || answer == kTerminated) {
          auto& m = expected_after_append.metrics;
          ++m.qubit_count;
          ++expected_after_append.allocated_qubits;
          m.qubit_simultaneous = std::max(m.qubit_simultaneous, expected_after_append.allocated_qubits);
        }
        FUZZ_CHECK((answer == 0) == (q != sentinel));
        if (answer == 0) {
          check_numbered(q, before.metrics.qubit_count, p);
          qubits_.push_back({q, true, false});
        }
        break;
      }
      case 7: {
        codes = {0, 19, 22, 18, 3, 7, 13};
        const auto i = pick(qubits_);
        if (!i) return;
        answer = plim_process_free_qubit(p, qubits_[*i].handle, flag_byte());
        if (answer == 0) qubits_[*i].allocated = false;
        break;
      }
      case 8: {
        codes = {0, 16, 3, 18, 12, 13};
        const auto i = pick(qubits_);
        if (!i) return;
        const int gate = in_.ConsumeIntegralInRange(-2, 9);
        const int predicted = gate_answer(p, gate, qubits_[*i], before);
        answer = plim_process_apply_gate(p, gate, in_.ConsumeFloatingPoint<double>(), qubits_[*i].handle);
        FUZZ_CHECK(answer == predicted);
        break;
      }
      case 9: {
        codes = {0, 3, 18, 1};
        auto list = handles_of(pick_qubits());
        answer = plim_process_ctrl_push(p, list.data(), list.size());
        break;
      }
      case 10:
        codes = {0, 6};
        answer = plim_process_ctrl_pop(p);
        FUZZ_CHECK((answer == 6) == before.ctrl_stack.empty());
        break;
      case 11: codes = {0, 13}; answer = plim_process_adj_begin(p); break;
      case 12: codes = {0, 5}; answer = plim_process_adj_end(p); break;
      case 13: {
        codes = {0, 23, 11, 18, 7, 13};
        const char* name = kPluginNames[in_.ConsumeIntegralInRange(0, 3)];
        const std::string args = text();
        auto list = handles_of(pick_qubits());
        answer = plim_process_apply_plugin(p, name, args.c_str(), list.data(), list.size());
        expected_after_append.metrics.plugins.insert(name);
        if (!features.registered_plugins.contains(name))
          FUZZ_CHECK(answer == code(PlimError::PluginNotRegistered));
        break;
      }
      case 14: answer = measure(p, before, expected_after_append); codes = {0, 21, 18, 3, 7, 13}; break;
      case 15: {
        codes = {0, 20, 18, 3, 7, 13};
        auto list = handles_of(pick_qubits());
        ::Dump* const sentinel = reinterpret_cast<::Dump*>(uintptr_t{0x5e17});
        ::Dump* d = sentinel;
        answer = plim_process_dump(p, list.data(), list.size(), &d);
        ++expected_after_append.metrics.dump_count;
        expected_after_append.dumps.push_back(false);
        deliver(answer, d, sentinel, dumps_, p);
        break;
      }
      case 16: {
        codes = {0, 14, 24, 18, 7, 13};
        const auto l = pick(futures_);
        const auto r = pick(futures_);
        if (!l) return;
        const int operation = in_.ConsumeIntegralInRange(-1, 17);
        ::Future* const sentinel = reinterpret_cast<::Future*>(uintptr_t{0x5e17});
        ::Future* f = sentinel;
        answer = plim_process_add_int_op(p, operation, futures_[*l].handle, futures_[*r].handle, &f);
        if (operation < 0 || operation > 15) FUZZ_CHECK(answer == code(PlimError::UndefinedClassicalOp));
        ++expected_after_append.metrics.future_count;
        expected_after_append.futures.push_back(std::nullopt);
        if (answer == 0)
          check_numbered(f, before.metrics.future_count, p);
        deliver(answer, f, sentinel, futures_, p);
        break;
      }
      case 17: {
        codes = {0, 24, 7, 13};
        ::Future* const sentinel = reinterpret_cast<::Future*>(uintptr_t{0x5e17});
        ::Future* f = sentinel;
        answer = plim_process_int_new(p, in_.ConsumeIntegral<int64_t>(), &f);
        ++expected_after_append.metrics.future_count;
        expected_after_append.futures.push_back(std::nullopt);
        if (answer == 0)
          check_numbered(f, before.metrics.future_count, p);
        deliver(answer, f, sentinel, futures_, p);
        break;
      }
      case 18: {
        codes = {0, 24, 18, 7, 13};
        const auto d = pick(futures_);
        const auto s = pick(futures_);
        if (!d) return;
        answer = plim_process_int_set(p, futures_[*d].handle, futures_[*s].handle);
        break;
      }
      case 19: {
        codes = {0, 24};
        ::Label* const sentinel = reinterpret_cast<::Label*>(uintptr_t{0x5e17});
        ::Label* l = sentinel;
        answer = plim_process_get_label(p, &l);
        if (answer == 0)
          check_numbered(l, before.metrics.block_count, p);
        deliver(answer, l, sentinel, labels_);
        break;
      }
      case 20: {
        codes = {0, 18};
        const auto l = pick(labels_);
        if (!l) return;
        answer = plim_process_open_block(p, labels_[*l]);
        break;
      }
      case 21: {
        codes = {0, 18, 7, 13};
        const auto l = pick(labels_);
        if (!l) return;
        answer = plim_process_jump(p, labels_[*l]);
        break;
      }
      case 22: {
        codes = {0, 18, 7, 13};
        const auto t = pick(futures_);
        const auto a = pick(labels_);
        const auto b = pick(labels_);
        if (!t || !a) return;
        answer = plim_process_branch(p, futures_[*t].handle, labels_[*a], labels_[*b]);
        break;
      }
      case 23:
        codes = {0, 7, 13};
        answer = plim_process_prepare_for_execution(p);
        if (before.metrics.ready) FUZZ_CHECK(answer == 0 && state_of(*p) == before);
        break;
      case 24:
      case 25: {
        codes = {0, 15};
        const int data_type = in_.ConsumeIntegralInRange(-1, 2);
        answer = op == 24 ? plim_process_serialize_metrics(p, data_type)
                          : plim_process_serialize_quantum_code(p, data_type);
        FUZZ_CHECK((answer == 15) == (data_type != 0 && data_type != 1));
        if (answer == 0) read_back(p, op == 24);
        break;
      }
      case 26:
      case 27: {
        codes = {0, 2};
        const uint8_t* data = reinterpret_cast<const uint8_t*>(uintptr_t{0x5e17});
        std::size_t size = 77;
        int data_type = 77;
        answer = op == 26 ? plim_process_get_serialized_metrics(p, &data, &size, &data_type)
                          : plim_process_get_serialized_quantum_code(p, &data, &size, &data_type);
        const auto& held = op == 26 ? before.serialized_metrics : before.serialized_code;
        FUZZ_CHECK((answer == 0) == held.has_value());
        if (answer == 0)
          FUZZ_CHECK(std::vector<uint8_t>(data, data + size) == *held &&
                     (data_type == 0 || data_type == 1));
        else
          FUZZ_CHECK(size == 77 && data_type == 77 &&
                     data == reinterpret_cast<const uint8_t*>(uintptr_t{0x5e17}));
        break;
      }
      case 28: answer = take_result(p, before); codes = {0, 15, 4, 17}; break;
      case 29: {
        codes = {0, 2};
        fuzz::read_exec_time(p);
        break;
      }
      case 30:
        FUZZ_CHECK(plim_process_set_timeout(p, in_.ConsumeIntegral<uint64_t>()) == 0);
        return check_qubit_flags();
      default:
        return run(p);
    }
    FUZZ_CHECK(fuzz::one_of(answer, codes));
    check_qubit_flags();
    if (answer == 0) return;
    const State after = state_of(*p);
    const bool append_refused = answer == kNonGate || answer == kTerminated;
    FUZZ_CHECK(after == (append_refused ? expected_after_append : before));
  }

  // The gate's checks in their order: the number, the target's flag and pid,
  // the target among the controls, the ended block, then a control whose
  // qubit the process released or measured away.
  int gate_answer(const ::Process* p, int gate, const QubitEntry& target, const State& before) {
    if (gate < 0 || gate > 7) return code(PlimError::UndefinedGate);
    if (!target.allocated) return code(PlimError::DeallocatedQubit);
    if (target.handle->pid != p->pid) return code(PlimError::UnmatchedPid);
    for (const auto& list : before.ctrl_stack)
      if (std::find(list.begin(), list.end(), target.handle->index) != list.end())
        return code(PlimError::TargetOnControl);
    if (p->blocks[p->current_block].terminated()) return kTerminated;
    for (const auto& list : before.ctrl_stack)
      for (uint64_t control : list)
        if (std::binary_search(before.deallocated.begin(), before.deallocated.end(), control))
          return code(PlimError::DeallocatedQubit);
    return 0;
  }

  // What the process encodes as BIN, the library's own readers take back.
  // (A non-finite angle is written to JSON as null, which the JSON reader
  // does not take, so JSON is left out.)
  static void read_back(const ::Process* p, bool metrics) {
    const auto& held = metrics ? p->serialized_metrics : p->serialized_quantum_code;
    FUZZ_CHECK(held.has_value());
    if (held->type != plim::DataType::BIN) return;
    const auto bytes = held->bytes.bytes();
    const bool read = metrics ? plim::encoding::decode_metrics(bytes, held->type).has_value()
                              : plim::encoding::decode_quantum_code(bytes, held->type).has_value();
    FUZZ_CHECK(read);
  }

  // Measurement marks each accepted qubit before it checks the next one, so
  // the model follows the same steps and predicts the refusal.
  int measure(::Process* p, const State& before, State& expected_after_append) {
    const auto chosen = pick_qubits();
    auto list = handles_of(chosen);
    ::Future* const sentinel = reinterpret_cast<::Future*>(uintptr_t{0x5e17});
    ::Future* f = sentinel;
    const bool allowed = p->features.allow_measure;
    const bool keep_allocated = p->features.valid_after_measure;
    const uint64_t pid = p->pid;
    const int answer = plim_process_measure(p, list.data(), list.size(), &f);
    int predicted = 0;
    if (!allowed) {
      predicted = code(PlimError::MeasureNotAllowed);
    } else {
      for (std::size_t i : chosen) {
        if (qubits_[i].handle->pid != pid) { predicted = code(PlimError::UnmatchedPid); break; }
        if (!qubits_[i].allocated) { predicted = code(PlimError::DeallocatedQubit); break; }
        qubits_[i].measured = true;
      }
      if (predicted == 0) {
        if (!keep_allocated) {
          auto& deallocated = expected_after_append.deallocated;
          for (std::size_t i : chosen) {
            qubits_[i].allocated = false;
            // A number this process never made (a handle of another process
            // with the same pid) has nothing to record.
            const uint64_t index = qubits_[i].handle->index;
            if (index < before.metrics.qubit_count) deallocated.push_back(index);
          }
          std::sort(deallocated.begin(), deallocated.end());
          deallocated.erase(std::unique(deallocated.begin(), deallocated.end()), deallocated.end());
        }
        ++expected_after_append.metrics.future_count;
        expected_after_append.futures.push_back(std::nullopt);
      }
    }
    if (predicted != 0) FUZZ_CHECK(answer == predicted);
    else FUZZ_CHECK(answer == 0 || answer == kNonGate || answer == kTerminated);
    if (answer == 0)
      check_numbered(f, before.metrics.future_count, p);
    deliver(answer, f, sentinel, futures_, p);
    return answer;
  }

  // A result made to fit the process's counts, or off by one, or the fuzzer's
  // own bytes.
  int take_result(::Process* p, const State& before) {
    const plim::DataType type = in_.ConsumeBool() ? plim::DataType::BIN : plim::DataType::JSON;
    std::vector<uint8_t> bytes;
    const int kind = in_.ConsumeIntegralInRange(0, 3);
    if (kind < 3) {
      plim::ResultData result;
      result.future.assign(before.metrics.future_count + (kind == 1 ? 1 : 0), 0);
      for (int64_t& value : result.future) value = in_.ConsumeIntegral<int64_t>();
      result.dump.assign(before.metrics.dump_count + (kind == 2 ? 1 : 0), plim::Probability{});
      result.exec_time = 0.25;
      const plim::ByteBuffer encoded = plim::encoding::encode_result(result, type);
      bytes.assign(encoded.bytes().begin(), encoded.bytes().end());
    } else {
      bytes = in_.ConsumeBytes<uint8_t>(in_.ConsumeIntegralInRange<std::size_t>(0, 64));
    }
    const int data_type = in_.ConsumeIntegralInRange(0, 9) == 0 ? 2 : static_cast<int>(type);
    const int answer = plim_process_set_serialized_result(p, bytes.data(), bytes.size(), data_type);
    if (data_type == 2) FUZZ_CHECK(answer == code(PlimError::UndefinedDataType));
    else if (kind == 0) FUZZ_CHECK(answer == 0);
    else if (kind < 3) FUZZ_CHECK(answer == code(PlimError::UnexpectedResultData));
    if (answer == 0) check_filled(p);
    return answer;
  }

  // After a stored result every future and dump handle of the process reads.
  void check_filled(::Process* p) {
    for (const auto& f : futures_)
      if (f.owner == p) FUZZ_CHECK(fuzz::read_future(f.handle).has_value());
    for (const auto& d : dumps_)
      if (d.owner == p) FUZZ_CHECK(fuzz::read_dump(d.handle).has_value());
    FUZZ_CHECK(fuzz::read_exec_time(p).has_value());
  }

  void run(::Process* p) {
    const int back_end = in_.ConsumeIntegralInRange(0, 3);
    const uint64_t max_qubits = back_end == 0 ? 16 : back_end == 1 ? 64 : 20;
    FUZZ_CHECK(plim_process_set_timeout(p, 0) == 0);
    if (!fuzz::small_enough(p->get_metrics(), p->get_quantum_code(), max_qubits, back_end == 0))
      return;
    const State before = state_of(*p);
    int answer = 0;
    if (back_end == 3) {
      answer = tessor_nivra_run_and_set_result(p);
    } else {
      const int mode = back_end == 2 ? 5 : back_end;
      answer = fenn_run_and_set_result(p, mode);
      if (mode == 5) FUZZ_CHECK(answer == FENN_UNDEFINED_SIM_MODE);
    }
    FUZZ_CHECK(fuzz::one_of(answer, {0, 1, 2, 3, 4, 5, 7, 8}));
    if (answer == 0) check_filled(p);
    else FUZZ_CHECK(state_of(*p) == before);
  }

  // ------------------------------------------------------ handle functions
  void handles(int op) {
    switch (op) {
      case 31: {
        const auto i = pick(qubits_);
        if (!i) return;
        uint64_t index = 0, pid = 0;
        FUZZ_CHECK(plim_qubit_index(qubits_[*i].handle, &index) == 0);
        FUZZ_CHECK(plim_qubit_pid(qubits_[*i].handle, &pid) == 0);
        FUZZ_CHECK(index == qubits_[*i].handle->index && pid == qubits_[*i].handle->pid);
        return check_qubit_flags();
      }
      case 32: {
        const auto i = pick(futures_);
        if (!i) return;
        uint64_t index = 0, pid = 0;
        FUZZ_CHECK(plim_future_index(futures_[*i].handle, &index) == 0);
        FUZZ_CHECK(plim_future_pid(futures_[*i].handle, &pid) == 0);
        fuzz::read_future(futures_[*i].handle);
        return;
      }
      case 33: {
        const auto i = pick(labels_);
        if (!i) return;
        uint64_t index = 0, pid = 0;
        FUZZ_CHECK(plim_label_index(labels_[*i], &index) == 0 && index >= 1);
        FUZZ_CHECK(plim_label_pid(labels_[*i], &pid) == 0);
        return;
      }
      case 34: {
        const auto i = pick(dumps_);
        if (i) fuzz::read_dump(dumps_[*i].handle);
        return;
      }
      case 35:
        return delete_handle();
      case 36: {
        std::size_t size = 0;
        const int error = in_.ConsumeIntegral<int>();
        const char* message = plim_error_message(error, &size);
        FUZZ_CHECK(message != nullptr && size > 0);
        return;
      }
      default: {
        const auto i = pick(futures_);
        if (i && futures_[*i].owner == nullptr) fuzz::read_future(futures_[*i].handle);
        return;
      }
    }
  }

  void delete_handle() {
    switch (in_.ConsumeIntegralInRange(0, 3)) {
      case 0:
        if (const auto i = pick(qubits_)) {
          FUZZ_CHECK(plim_qubit_delete(qubits_[*i].handle) == 0);
          qubits_.erase(qubits_.begin() + static_cast<std::ptrdiff_t>(*i));
        }
        return;
      case 1:
        if (const auto i = pick(futures_)) {
          FUZZ_CHECK(plim_future_delete(futures_[*i].handle) == 0);
          futures_.erase(futures_.begin() + static_cast<std::ptrdiff_t>(*i));
        }
        return;
      case 2:
        if (const auto i = pick(labels_)) {
          FUZZ_CHECK(plim_label_delete(labels_[*i]) == 0);
          labels_.erase(labels_.begin() + static_cast<std::ptrdiff_t>(*i));
        }
        return;
      default:
        if (const auto i = pick(dumps_)) {
          FUZZ_CHECK(plim_dump_delete(dumps_[*i].handle) == 0);
          dumps_.erase(dumps_.begin() + static_cast<std::ptrdiff_t>(*i));
        }
        return;
    }
  }

  FuzzedDataProvider& in_;
  std::array<::Process*, 2> processes_{};
  std::vector<::Features*> features_;
  std::vector<QubitEntry> qubits_;
  std::vector<Owned<::Future>> futures_;
  std::vector<::Label*> labels_;
  std::vector<Owned<::Dump>> dumps_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  Sequence sequence(in);
  for (int steps = 0; steps < 256 && in.remaining_bytes() > 0; ++steps) sequence.step();
  return 0;
}
