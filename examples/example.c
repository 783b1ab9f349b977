/* Builds a small program through the C interface: a Bell pair, a measurement
 * of it, a conditional on the outcome and a dump. Then runs it on every back
 * end, in place and through the serialised road in JSON and in BIN, and
 * prints what came back. */
#include <inttypes.h>
#include <stdbool.h>
#include <stdint.h>
#include <stdio.h>

#include "fenn.h"
#include "plim.h"
#include "tessor_nivra.h"

#include "example_support.h"

struct Program {
  Process* process;
  Future* outcome;
  Dump* state;
};

/* Encodes code and metrics, runs them on the back end, and hands the encoded
 * result back to the process. */
static int run_serialized(struct Program* program, enum Backend backend, int data_type) {
  const uint8_t *code = NULL, *metrics = NULL;
  size_t code_size = 0, metrics_size = 0;
  int ignored = 0;
  TRY(plim_process_serialize_quantum_code(program->process, data_type));
  TRY(plim_process_serialize_metrics(program->process, data_type));
  TRY(plim_process_get_serialized_quantum_code(program->process, &code, &code_size, &ignored));
  TRY(plim_process_get_serialized_metrics(program->process, &metrics, &metrics_size, &ignored));

  Result* result = NULL;
  if (backend == EXTERNAL)
    RUN(tessor_nivra_run_serialized(code, code_size, metrics, metrics_size, data_type, &result));
  else
    RUN(fenn_run_serialized(code, code_size, metrics, metrics_size, data_type,
                            backend == DENSE ? FENN_SIM_DENSE : FENN_SIM_SPARSE, &result));
  const uint8_t* bytes = NULL;
  uint64_t size = 0;
  RUN(fenn_result_get(result, &bytes, &size));
  const int intake = plim_process_set_serialized_result(program->process, bytes, size, data_type);
  RUN(fenn_result_delete(result));
  TRY(intake);
  return 0;
}

/* One line per run: the measured outcome, the dumped state, the time. */
static int print_result(const struct Program* program, const char* road, enum Backend backend) {
  int64_t outcome = 0;
  size_t states = 0;
  double seconds = 0.0;
  TRY(plim_future_value(program->outcome, &outcome));
  TRY(plim_dump_states_size(program->state, &states));
  TRY(plim_process_exec_time(program->process, &seconds));
  printf("%-8s %-9s outcome %" PRId64 ", dump:", kBackendNames[backend], road, outcome);
  const double* real = NULL;
  const double* imag = NULL;
  size_t amplitudes = 0;
  TRY(plim_dump_amplitudes_real(program->state, &real, &amplitudes));
  TRY(plim_dump_amplitudes_imag(program->state, &imag, &amplitudes));
  for (size_t i = 0; i < states; ++i) {
    const uint64_t* words = NULL;
    size_t word_count = 0;
    TRY(plim_dump_state(program->state, i, &words, &word_count));
    printf(" |%" PRIu64 "%" PRIu64 "> (%g%+gi)", (words[0] >> 1) & 1, words[0] & 1, real[i],
           imag[i]);
  }
  printf(", %.6f s\n", seconds);
  return 0;
}

static int build(struct Program* program, Qubit* pair[2], Label* labels[2]) {
  TRY(plim_process_new(1, &program->process));
  Process* process = program->process;

  /* |00> + |11>: H on the first qubit, then X on the second under it. */
  TRY(plim_process_allocate_qubit(process, false, &pair[0]));
  TRY(plim_process_allocate_qubit(process, false, &pair[1]));
  TRY(plim_process_apply_gate(process, PLIM_GATE_HADAMARD, 0.0, pair[0]));
  TRY(plim_process_ctrl_push(process, &pair[0], 1));
  TRY(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, pair[1]));
  TRY(plim_process_ctrl_pop(process));

  /* Both qubits measured into one future: 0 or 3. */
  TRY(plim_process_measure(process, pair, 2, &program->outcome));

  /* When the outcome is not 0, flip both qubits back to |00>. */
  TRY(plim_process_get_label(process, &labels[0]));
  TRY(plim_process_get_label(process, &labels[1]));
  TRY(plim_process_branch(process, program->outcome, labels[0], labels[1]));
  TRY(plim_process_open_block(process, labels[0]));
  TRY(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, pair[0]));
  TRY(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, pair[1]));
  TRY(plim_process_jump(process, labels[1]));
  TRY(plim_process_open_block(process, labels[1]));

  TRY(plim_process_dump(process, pair, 2, &program->state));
  TRY(plim_process_prepare_for_execution(process));
  return 0;
}

int main(void) {
  struct Program program = {NULL, NULL, NULL};
  Qubit* pair[2] = {NULL, NULL};
  Label* labels[2] = {NULL, NULL};
  if (build(&program, pair, labels) != 0) return 1;

  const uint8_t* metrics = NULL;
  size_t metrics_size = 0;
  int ignored = 0;
  TRY(plim_process_serialize_metrics(program.process, PLIM_DATA_JSON));
  TRY(plim_process_get_serialized_metrics(program.process, &metrics, &metrics_size, &ignored));
  printf("metrics: %.*s\n", (int)metrics_size, (const char*)metrics);

  const enum Backend backends[] = {DENSE, SPARSE, EXTERNAL};
  for (int b = 0; b < 3; ++b) {
    if (run_in_place(program.process, backends[b]) != 0) return 1;
    if (print_result(&program, "in place", backends[b]) != 0) return 1;
    if (run_serialized(&program, backends[b], PLIM_DATA_JSON) != 0) return 1;
    if (print_result(&program, "JSON", backends[b]) != 0) return 1;
    if (run_serialized(&program, backends[b], PLIM_DATA_BIN) != 0) return 1;
    if (print_result(&program, "BIN", backends[b]) != 0) return 1;
  }

  TRY(plim_dump_delete(program.state));
  TRY(plim_label_delete(labels[1]));
  TRY(plim_label_delete(labels[0]));
  TRY(plim_future_delete(program.outcome));
  TRY(plim_qubit_delete(pair[1]));
  TRY(plim_qubit_delete(pair[0]));
  TRY(plim_process_delete(program.process));
  return 0;
}
