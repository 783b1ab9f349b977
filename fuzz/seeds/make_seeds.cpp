// Writes the seed inputs of the fuzz targets for the serialised runs and for
// result intake: small programs made with the builder, encoded both ways, in
// the input layout that each target splits (fuzz/serialized_run.hpp,
// fuzz/process_set_serialized_result.cpp).
//   fuzz_make_seeds <corpus folder>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "fenn.h"
#include "libplim/src/encoding/serialize.hpp"
#include "plim.h"

namespace {

using Bytes = std::vector<uint8_t>;

void write(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Qubit* qubit(Process* p) {
  Qubit* q = nullptr;
  plim_process_allocate_qubit(p, false, &q);
  return q;
}

// Each program builds into a fresh process; handles are freed at the end.
struct Handles {
  std::vector<Qubit*> qubits;
  std::vector<Future*> futures;
  std::vector<Label*> labels;
  std::vector<Dump*> dumps;
  ~Handles() {
    for (Qubit* q : qubits) plim_qubit_delete(q);
    for (Future* f : futures) plim_future_delete(f);
    for (Label* l : labels) plim_label_delete(l);
    for (Dump* d : dumps) plim_dump_delete(d);
  }
};

void bell(Process* p, Handles& h) {
  Qubit* q[2] = {qubit(p), qubit(p)};
  h.qubits = {q[0], q[1]};
  plim_process_apply_gate(p, PLIM_GATE_HADAMARD, 0.0, q[0]);
  plim_process_ctrl_push(p, q, 1);
  plim_process_apply_gate(p, PLIM_GATE_PAULI_X, 0.0, q[1]);
  plim_process_ctrl_pop(p);
  Dump* d = nullptr;
  plim_process_dump(p, q, 2, &d);
  h.dumps.push_back(d);
  Future* f = nullptr;
  plim_process_measure(p, q, 2, &f);
  h.futures.push_back(f);
}

void rotations(Process* p, Handles& h) {
  Qubit* q[3] = {qubit(p), qubit(p), qubit(p)};
  h.qubits = {q[0], q[1], q[2]};
  plim_process_adj_begin(p);
  plim_process_apply_gate(p, PLIM_GATE_RX, 0.5, q[0]);
  plim_process_apply_gate(p, PLIM_GATE_PHASE, 0.25, q[1]);
  plim_process_adj_end(p);
  plim_process_apply_gate(p, PLIM_GATE_RY, 1.0, q[1]);
  plim_process_apply_gate(p, PLIM_GATE_RZ, -0.75, q[2]);
  plim_process_apply_gate(p, PLIM_GATE_PAULI_Y, 0.0, q[2]);
  plim_process_apply_gate(p, PLIM_GATE_PAULI_Z, 0.0, q[0]);
  Dump* d = nullptr;
  plim_process_dump(p, q, 3, &d);
  h.dumps.push_back(d);
  plim_process_free_qubit(p, q[2], false);
  Qubit* dirty = nullptr;
  plim_process_allocate_qubit(p, true, &dirty);
  h.qubits.push_back(dirty);
  plim_process_free_qubit(p, dirty, true);
}

// counter = 3; loop: counter = counter - 1, measure; until counter is 0.
void loop(Process* p, Handles& h) {
  Qubit* q = qubit(p);
  h.qubits = {q};
  Future *counter = nullptr, *one = nullptr, *less = nullptr, *m = nullptr;
  plim_process_int_new(p, 3, &counter);
  plim_process_int_new(p, 1, &one);
  Label *body = nullptr, *done = nullptr;
  plim_process_get_label(p, &body);
  plim_process_get_label(p, &done);
  plim_process_jump(p, body);
  plim_process_open_block(p, body);
  plim_process_apply_gate(p, PLIM_GATE_HADAMARD, 0.0, q);
  plim_process_measure(p, &q, 1, &m);
  plim_process_add_int_op(p, PLIM_OP_SUB, counter, one, &less);
  plim_process_int_set(p, counter, less);
  plim_process_branch(p, counter, body, done);
  plim_process_open_block(p, done);
  h.futures = {counter, one, less, m};
  h.labels = {body, done};
}

void pown(Process* p, Handles& h) {
  Features* features = nullptr;
  plim_features_all(&features);
  plim_features_register_plugin(features, "pown");
  plim_process_set_features(p, features);
  plim_features_delete(features);
  Qubit* q[4] = {qubit(p), qubit(p), qubit(p), qubit(p)};
  h.qubits = {q[0], q[1], q[2], q[3]};
  plim_process_apply_gate(p, PLIM_GATE_HADAMARD, 0.0, q[3]);
  plim_process_apply_gate(p, PLIM_GATE_PAULI_X, 0.0, q[0]);
  plim_process_apply_plugin(p, "pown", "2 3", q, 4);
  Dump* d = nullptr;
  plim_process_dump(p, q, 4, &d);
  h.dumps.push_back(d);
}

struct Encoded {
  Bytes metrics;
  Bytes code;
};

Encoded encoded(const std::function<void(Process*, Handles&)>& program, int data_type,
                bool prepare) {
  Process* p = nullptr;
  plim_process_new(1, &p);
  Encoded out;
  {
    Handles h;
    program(p, h);
    if (prepare) plim_process_prepare_for_execution(p);
    const uint8_t* data = nullptr;
    size_t size = 0;
    int type = 0;
    plim_process_serialize_metrics(p, data_type);
    plim_process_get_serialized_metrics(p, &data, &size, &type);
    out.metrics.assign(data, data + size);
    plim_process_serialize_quantum_code(p, data_type);
    plim_process_get_serialized_quantum_code(p, &data, &size, &type);
    out.code.assign(data, data + size);
  }
  plim_process_delete(p);
  return out;
}

Bytes run_input(uint8_t control, const Encoded& e) {
  Bytes input = {control, static_cast<uint8_t>(e.metrics.size()),
                 static_cast<uint8_t>(e.metrics.size() >> 8)};
  input.insert(input.end(), e.metrics.begin(), e.metrics.end());
  input.insert(input.end(), e.code.begin(), e.code.end());
  return input;
}

// Results that fit the process of the result-intake target: three futures and
// two dumps.
std::vector<plim::ResultData> fitting_results() {
  std::vector<plim::ResultData> results(3);
  for (auto& r : results) r.future = {0, 1, 5};
  results[0].dump = {plim::Vector{{{0}, {3}}, {0.5, 0.5}, {0.0, -0.5}}, plim::Probability{}};
  results[1].dump = {plim::Probability{{{1}}, {1.0}}, plim::Shots{{{2}, {1, 0}}, {4, 6}, 10}};
  results[2].dump = {plim::Probability{}, plim::Probability{}};
  results[2].exec_time = 0.125;
  return results;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  const std::filesystem::path corpus = argv[1];
  const std::vector<std::pair<std::string, std::function<void(Process*, Handles&)>>> programs = {
      {"bell", bell}, {"rotations", rotations}, {"loop", loop}, {"pown", pown}};
  for (int data_type : {PLIM_DATA_JSON, PLIM_DATA_BIN}) {
    const std::string suffix = data_type == PLIM_DATA_JSON ? "json" : "bin";
    for (const auto& [name, program] : programs) {
      const Encoded ready = encoded(program, data_type, true);
      for (uint8_t mode : {uint8_t{0}, uint8_t{1}})
        write(corpus / ("fenn_run_serialized_" + suffix),
              name + (mode ? "_sparse" : "_dense"), run_input(mode, ready));
      write(corpus / ("tessor_nivra_run_serialized_" + suffix), name, run_input(0, ready));
    }
    const Encoded unready = encoded(bell, data_type, false);
    write(corpus / ("fenn_run_serialized_" + suffix), "not_ready", run_input(0, unready));
    write(corpus / ("tessor_nivra_run_serialized_" + suffix), "not_ready", run_input(0, unready));

    const auto results = fitting_results();
    for (std::size_t i = 0; i < results.size(); ++i) {
      const plim::ByteBuffer bytes = plim::encoding::encode_result(
          results[i], data_type == PLIM_DATA_JSON ? plim::DataType::JSON : plim::DataType::BIN);
      // Control bit 2 stores a result first, so the refusals have values to keep.
      Bytes input = {static_cast<uint8_t>(static_cast<unsigned>(data_type) | (i == 1 ? 4u : 0u))};
      input.insert(input.end(), bytes.bytes().begin(), bytes.bytes().end());
      write(corpus / "process_set_serialized_result", suffix + "_" + std::to_string(i), input);
    }
  }
  return 0;
}
