/* Drives one whole program through the builder's C interface, as a host
 * written in C would, checking every code and what the handles report. */
#include <stdbool.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "plim.h"

static int failures = 0;

#define CHECK(condition)                                              \
  do {                                                                \
    if (!(condition)) {                                               \
      fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                     \
    }                                                                 \
  } while (0)

#define CHECK_CODE(call, expected) CHECK((call) == (expected))

static uint64_t qubit_index(Qubit* qubit) {
  uint64_t index = UINT64_MAX;
  CHECK_CODE(plim_qubit_index(qubit, &index), 0);
  return index;
}

static uint64_t future_index(Future* future) {
  uint64_t index = UINT64_MAX;
  CHECK_CODE(plim_future_index(future, &index), 0);
  return index;
}

static uint64_t label_index(Label* label) {
  uint64_t index = UINT64_MAX;
  CHECK_CODE(plim_label_index(label, &index), 0);
  return index;
}

int main(void) {
  const uint64_t pid = 42;
  Process* process = NULL;
  CHECK_CODE(plim_process_new(pid, &process), 0);

  Features* features = NULL;
  CHECK_CODE(plim_features_all(&features), 0);
  CHECK_CODE(plim_features_register_plugin(features, "pown"), 0);
  CHECK_CODE(plim_process_set_features(process, features), 0);
  CHECK_CODE(plim_features_delete(features), 0);

  /* Three qubits: a control pair and a work qubit. */
  Qubit* q[3] = {NULL, NULL, NULL};
  for (int i = 0; i < 3; ++i) {
    CHECK_CODE(plim_process_allocate_qubit(process, false, &q[i]), 0);
    CHECK(qubit_index(q[i]) == (uint64_t)i);
  }
  uint64_t pid_read = 0;
  CHECK_CODE(plim_qubit_pid(q[2], &pid_read), 0);
  CHECK(pid_read == pid);

  /* H on q0, then X on q1 under q0: a Bell pair. */
  CHECK_CODE(plim_process_apply_gate(process, PLIM_GATE_HADAMARD, 0.0, q[0]), 0);
  CHECK_CODE(plim_process_ctrl_push(process, &q[0], 1), 0);
  CHECK_CODE(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, q[1]), 0);
  CHECK_CODE(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, q[0]), 12);
  CHECK_CODE(plim_process_ctrl_push(process, &q[0], 1), 1);
  CHECK_CODE(plim_process_apply_plugin(process, "pown", "3 7", &q[2], 1), 11);
  CHECK_CODE(plim_process_ctrl_pop(process), 0);
  CHECK_CODE(plim_process_ctrl_pop(process), 6);
  CHECK_CODE(plim_process_apply_gate(process, 8, 0.0, q[0]), 16);

  /* An inverse scope around two rotations; nothing but gates inside. */
  CHECK_CODE(plim_process_adj_begin(process), 0);
  CHECK_CODE(plim_process_apply_gate(process, PLIM_GATE_RX, 0.5, q[2]), 0);
  CHECK_CODE(plim_process_apply_gate(process, PLIM_GATE_RZ, 0.25, q[2]), 0);
  Future* refused = NULL;
  CHECK_CODE(plim_process_measure(process, &q[2], 1, &refused), 7);
  CHECK(refused == NULL);
  CHECK_CODE(plim_process_adj_end(process), 0);
  CHECK_CODE(plim_process_adj_end(process), 5);

  CHECK_CODE(plim_process_apply_plugin(process, "pown", "3 7", &q[2], 1), 0);
  CHECK_CODE(plim_process_apply_plugin(process, "Pown", "3 7", &q[2], 1), 23);

  /* Measure the pair; the lost future of the refused measure took number 1. */
  Future* bell = NULL;
  CHECK_CODE(plim_process_measure(process, q, 2, &bell), 0);
  CHECK(future_index(bell) == 2);
  bool flag = false;
  CHECK_CODE(plim_qubit_measured(q[0], &flag), 0);
  CHECK(flag);
  CHECK_CODE(plim_qubit_allocated(q[0], &flag), 0);
  CHECK(flag);
  CHECK_CODE(plim_future_available(bell, &flag), 0);
  CHECK(!flag);
  int64_t value = 99;
  CHECK_CODE(plim_future_value(bell, &value), 2);
  CHECK(value == 99);

  /* Integer work: both = (bell == 3), kept in a counter. */
  Future* three = NULL;
  Future* both = NULL;
  Future* counter = NULL;
  CHECK_CODE(plim_process_int_new(process, 3, &three), 0);
  CHECK_CODE(plim_process_add_int_op(process, PLIM_OP_EQ, bell, three, &both), 0);
  CHECK_CODE(plim_process_add_int_op(process, 16, bell, three, &counter), 14);
  CHECK(counter == NULL);
  CHECK_CODE(plim_process_int_new(process, 0, &counter), 0);
  CHECK_CODE(plim_process_int_set(process, counter, both), 0);
  uint64_t pid_of_future = 0;
  CHECK_CODE(plim_future_pid(both, &pid_of_future), 0);
  CHECK(pid_of_future == pid);

  /* A conditional: branch to flip or skip, both join at the end. */
  Label* flip = NULL;
  Label* skip = NULL;
  Label* join = NULL;
  CHECK_CODE(plim_process_get_label(process, &flip), 0);
  CHECK_CODE(plim_process_get_label(process, &skip), 0);
  CHECK_CODE(plim_process_get_label(process, &join), 0);
  CHECK(label_index(flip) == 1 && label_index(skip) == 2 && label_index(join) == 3);
  CHECK_CODE(plim_label_pid(join, &pid_read), 0);
  CHECK(pid_read == pid);
  CHECK_CODE(plim_process_branch(process, both, flip, skip), 0);
  CHECK_CODE(plim_process_jump(process, join), 13);

  CHECK_CODE(plim_process_open_block(process, flip), 0);
  CHECK_CODE(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, q[2]), 0);
  CHECK_CODE(plim_process_jump(process, join), 0);
  CHECK_CODE(plim_process_open_block(process, skip), 0);
  CHECK_CODE(plim_process_jump(process, join), 0);
  CHECK_CODE(plim_process_open_block(process, join), 0);

  /* Dump the work qubit, release it, and close the program. */
  Dump* state = NULL;
  CHECK_CODE(plim_process_dump(process, &q[2], 1, &state), 0);
  CHECK_CODE(plim_dump_available(state, &flag), 0);
  CHECK(!flag);
  int type = -1;
  CHECK_CODE(plim_dump_type(state, &type), 2);
  CHECK(type == -1);
  CHECK_CODE(plim_process_free_qubit(process, q[2], false), 0);
  CHECK_CODE(plim_qubit_allocated(q[2], &flag), 0);
  CHECK(!flag);
  CHECK_CODE(plim_process_free_qubit(process, q[2], false), 3);
  CHECK_CODE(plim_process_prepare_for_execution(process), 0);
  CHECK_CODE(plim_process_prepare_for_execution(process), 0);
  Qubit* late = NULL;
  CHECK_CODE(plim_process_allocate_qubit(process, false, &late), 13);
  CHECK(late == NULL);

  /* A second process refuses the first one's handles. */
  Process* other = NULL;
  CHECK_CODE(plim_process_new(pid + 1, &other), 0);
  CHECK_CODE(plim_process_apply_gate(other, PLIM_GATE_PAULI_X, 0.0, q[0]), 18);
  CHECK_CODE(plim_process_open_block(other, join), 18);
  CHECK_CODE(plim_process_delete(other), 0);

  /* Handles outlive their process. */
  CHECK_CODE(plim_process_delete(process), 0);
  CHECK(future_index(bell) == 2);
  CHECK_CODE(plim_future_available(bell, &flag), 0);
  CHECK(!flag);
  size_t size = 0;
  const char* message = plim_error_message(13, &size);
  CHECK(size == 46 && memcmp(message, "cannot append statements to a terminated block", size) == 0);

  for (int i = 0; i < 3; ++i) CHECK_CODE(plim_qubit_delete(q[i]), 0);
  CHECK_CODE(plim_future_delete(bell), 0);
  CHECK_CODE(plim_future_delete(three), 0);
  CHECK_CODE(plim_future_delete(both), 0);
  CHECK_CODE(plim_future_delete(counter), 0);
  CHECK_CODE(plim_label_delete(flip), 0);
  CHECK_CODE(plim_label_delete(skip), 0);
  CHECK_CODE(plim_label_delete(join), 0);
  CHECK_CODE(plim_dump_delete(state), 0);

  if (failures != 0) fprintf(stderr, "%d check(s) failed\n", failures);
  return failures == 0 ? 0 : 1;
}
