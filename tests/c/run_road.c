/* The whole road through the C interface: build a program, encode it, run it
 * on every back end (serialised in both encodings, and in place), take the
 * result back and read futures, dumps and the execution time. */
#include <math.h>
#include <stdbool.h>
#include <stdint.h>
#include <stdio.h>

#include "fenn.h"
#include "plim.h"
#include "tessor_nivra.h"

#include "check.h"


#define CALL(expression) CHECK((expression) == 0)

/* A Bell pair measured into one future, a branch on it that flips a third
 * qubit only when the pair read 11, and a dump of all three qubits. */
struct Program {
  Process* process;
  Future* pair;
  Dump* dump;
};

static struct Program build(uint64_t pid) {
  struct Program program = {0};
  Qubit* q[3];
  Label *flip, *done;
  CALL(plim_process_new(pid, &program.process));
  Process* p = program.process;
  for (int i = 0; i < 3; ++i) CALL(plim_process_allocate_qubit(p, false, &q[i]));
  CALL(plim_process_apply_gate(p, PLIM_GATE_HADAMARD, 0.0, q[0]));
  CALL(plim_process_ctrl_push(p, &q[0], 1));
  CALL(plim_process_apply_gate(p, PLIM_GATE_PAULI_X, 0.0, q[1]));
  CALL(plim_process_ctrl_pop(p));
  Qubit* pair[2] = {q[0], q[1]};
  CALL(plim_process_measure(p, pair, 2, &program.pair));
  CALL(plim_process_get_label(p, &flip));
  CALL(plim_process_get_label(p, &done));
  CALL(plim_process_branch(p, program.pair, flip, done));
  CALL(plim_process_open_block(p, flip));
  CALL(plim_process_apply_gate(p, PLIM_GATE_PAULI_X, 0.0, q[2]));
  CALL(plim_process_jump(p, done));
  CALL(plim_process_open_block(p, done));
  CALL(plim_process_dump(p, q, 3, &program.dump));
  CALL(plim_process_prepare_for_execution(p));
  for (int i = 0; i < 3; ++i) CALL(plim_qubit_delete(q[i]));
  CALL(plim_label_delete(flip));
  CALL(plim_label_delete(done));
  return program;
}

static void release(struct Program* program) {
  CALL(plim_future_delete(program->pair));
  CALL(plim_dump_delete(program->dump));
  CALL(plim_process_delete(program->process));
}

/* The pair reads 00 or 11; the dump then holds the one basis state 000 or
 * 111 with amplitude 1. */
static void check_outcome(const struct Program* program) {
  int64_t pair = -1;
  CALL(plim_future_value(program->pair, &pair));
  CHECK(pair == 0 || pair == 3);

  int type = -1;
  size_t states = 0;
  CALL(plim_dump_type(program->dump, &type));
  CHECK(type == PLIM_DUMP_VECTOR);
  CALL(plim_dump_states_size(program->dump, &states));
  CHECK(states == 1);
  if (states == 1) {
    const uint64_t* words = NULL;
    size_t word_count = 0;
    CALL(plim_dump_state(program->dump, 0, &words, &word_count));
    CHECK(word_count == 1);
    CHECK(words[0] == (pair == 3 ? 7u : 0u));
    const double* real = NULL;
    const double* imag = NULL;
    size_t size = 0;
    CALL(plim_dump_amplitudes_real(program->dump, &real, &size));
    CHECK(size == 1 && fabs(real[0] - 1.0) < 1e-12);
    CALL(plim_dump_amplitudes_imag(program->dump, &imag, &size));
    CHECK(size == 1 && fabs(imag[0]) < 1e-12);
  }
  double seconds = -1.0;
  CALL(plim_process_exec_time(program->process, &seconds));
  CHECK(seconds >= 0.0);
}

enum Backend { DENSE, SPARSE, EXTERNAL };

static void serialised_road(enum Backend backend, int data_type) {
  struct Program program = build(7);
  const uint8_t *code, *metrics;
  size_t code_size, metrics_size;
  int code_type, metrics_type;
  CALL(plim_process_serialize_quantum_code(program.process, data_type));
  CALL(plim_process_serialize_metrics(program.process, data_type));
  CALL(plim_process_get_serialized_quantum_code(program.process, &code, &code_size, &code_type));
  CALL(plim_process_get_serialized_metrics(program.process, &metrics, &metrics_size,
                                           &metrics_type));
  CHECK(code_type == data_type && metrics_type == data_type);

  Result* result = NULL;
  if (backend == EXTERNAL)
    CALL(tessor_nivra_run_serialized(code, code_size, metrics, metrics_size, data_type, &result));
  else
    CALL(fenn_run_serialized(code, code_size, metrics, metrics_size, data_type,
                             backend == DENSE ? FENN_SIM_DENSE : FENN_SIM_SPARSE, &result));
  if (result != NULL) {
    const uint8_t* bytes = NULL;
    uint64_t size = 0;
    CALL(fenn_result_get(result, &bytes, &size));
    if (data_type == PLIM_DATA_JSON) CHECK(size > 0 && bytes[0] == '{' && bytes[size - 1] == '}');
    CALL(plim_process_set_serialized_result(program.process, bytes, size, data_type));
    CALL(fenn_result_delete(result));
    check_outcome(&program);
  }
  release(&program);
}

static void in_place_road(enum Backend backend) {
  struct Program program = build(8);
  if (backend == EXTERNAL)
    CALL(tessor_nivra_run_and_set_result(program.process));
  else
    CALL(fenn_run_and_set_result(program.process,
                                 backend == DENSE ? FENN_SIM_DENSE : FENN_SIM_SPARSE));
  check_outcome(&program);
  /* The handles keep their values after the process is gone. */
  CALL(plim_process_delete(program.process));
  int64_t pair = -1;
  CALL(plim_future_value(program.pair, &pair));
  CHECK(pair == 0 || pair == 3);
  CALL(plim_future_delete(program.pair));
  CALL(plim_dump_delete(program.dump));
}

static void refusals(void) {
  struct Program program = build(9);
  Result* untouched = (Result*)&program;
  const uint8_t junk[] = {'n', 'o', 't'};
  CHECK(fenn_run_serialized(junk, sizeof junk, junk, sizeof junk, 2, FENN_SIM_DENSE, &untouched) ==
        FENN_UNDEFINED_DATA_TYPE);
  CHECK(tessor_nivra_run_serialized(junk, sizeof junk, junk, sizeof junk, -1, &untouched) ==
        FENN_UNDEFINED_DATA_TYPE);
  CHECK(fenn_run_and_set_result(program.process, -1) == FENN_UNDEFINED_SIM_MODE);
  CHECK(untouched == (Result*)&program);
  bool available = true;
  CALL(plim_future_available(program.pair, &available));
  CHECK(!available);
  size_t size = 0;
  const char* text = fenn_error_message(FENN_UNDEFINED_SIM_MODE, &size);
  CHECK(size == 25 && text[0] == 'u');
  release(&program);
}

int main(void) {
  const enum Backend backends[] = {DENSE, SPARSE, EXTERNAL};
  for (int b = 0; b < 3; ++b) {
    serialised_road(backends[b], PLIM_DATA_JSON);
    serialised_road(backends[b], PLIM_DATA_BIN);
    in_place_road(backends[b]);
  }
  refusals();
  if (failures == 0) printf("run road: all checks passed\n");
  return check_summary();
}
