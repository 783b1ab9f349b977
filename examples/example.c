/* Builds a small program through the C interface: a Bell pair, a measurement
 * of it, a conditional on the outcome and a dump, then closes it for
 * execution and prints what the handles say about it. */
#include <inttypes.h>
#include <stdbool.h>
#include <stdint.h>
#include <stdio.h>

#include "plim.h"

/* Stops at the first refused call with the library's own message. */
#define TRY(call)                                                              \
  do {                                                                         \
    int code_ = (call);                                                        \
    if (code_ != 0) {                                                          \
      size_t size_ = 0;                                                        \
      const char* text_ = plim_error_message(code_, &size_);                   \
      fprintf(stderr, "%s failed: %.*s (%d)\n", #call, (int)size_, text_, code_); \
      return 1;                                                                \
    }                                                                          \
  } while (0)

int main(void) {
  Process* process = NULL;
  TRY(plim_process_new(1, &process));

  /* |00> + |11>: H on the first qubit, then X on the second under it. */
  Qubit* pair[2] = {NULL, NULL};
  TRY(plim_process_allocate_qubit(process, false, &pair[0]));
  TRY(plim_process_allocate_qubit(process, false, &pair[1]));
  TRY(plim_process_apply_gate(process, PLIM_GATE_HADAMARD, 0.0, pair[0]));
  TRY(plim_process_ctrl_push(process, &pair[0], 1));
  TRY(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, pair[1]));
  TRY(plim_process_ctrl_pop(process));

  /* Both qubits measured into one future: 0 or 3. */
  Future* outcome = NULL;
  TRY(plim_process_measure(process, pair, 2, &outcome));

  /* When the outcome is not 0, flip both qubits back to |00>. */
  Label* flip = NULL;
  Label* done = NULL;
  TRY(plim_process_get_label(process, &flip));
  TRY(plim_process_get_label(process, &done));
  TRY(plim_process_branch(process, outcome, flip, done));
  TRY(plim_process_open_block(process, flip));
  TRY(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, pair[0]));
  TRY(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, pair[1]));
  TRY(plim_process_jump(process, done));
  TRY(plim_process_open_block(process, done));

  Dump* state = NULL;
  TRY(plim_process_dump(process, pair, 2, &state));
  TRY(plim_process_prepare_for_execution(process));

  /* Numbers are handed out in order, so the last of each kind gives the
   * count: qubits and dumps from 0, futures and blocks after the constant
   * future 0 and the entry block 0. */
  uint64_t last_qubit = 0, last_future = 0, last_block = 0;
  bool available = true;
  TRY(plim_qubit_index(pair[1], &last_qubit));
  TRY(plim_future_index(outcome, &last_future));
  TRY(plim_label_index(done, &last_block));
  TRY(plim_dump_available(state, &available));
  printf("qubits: %" PRIu64 "\n", last_qubit + 1);
  printf("futures: %" PRIu64 "\n", last_future + 1);
  printf("dumps: 1\n");
  printf("blocks: %" PRIu64 "\n", last_block + 1);
  printf("ready: yes\n");
  printf("outcome available before a run: %s\n", available ? "yes" : "no");

  TRY(plim_dump_delete(state));
  TRY(plim_label_delete(done));
  TRY(plim_label_delete(flip));
  TRY(plim_future_delete(outcome));
  TRY(plim_qubit_delete(pair[1]));
  TRY(plim_qubit_delete(pair[0]));
  TRY(plim_process_delete(process));
  return 0;
}
