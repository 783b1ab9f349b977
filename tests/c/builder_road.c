/* Drives one whole program through the builder's C interface, as a host
 * written in C would, checking every code and what the handles report. */
#include <stdbool.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "plim.h"

#include "check.h"


#define CHECK_CODE(call, expected) CHECK((call) == (expected))

static uint64_t qubit_index(Qubit* qubit) {
  uint64_t index = UINT64_MAX;
  CHECK_CODE(plim_qubit_index(qubit, &index), PLIM_SUCCESS);
  return index;
}

static uint64_t future_index(Future* future) {
  uint64_t index = UINT64_MAX;
  CHECK_CODE(plim_future_index(future, &index), PLIM_SUCCESS);
  return index;
}

static uint64_t label_index(Label* label) {
  uint64_t index = UINT64_MAX;
  CHECK_CODE(plim_label_index(label, &index), PLIM_SUCCESS);
  return index;
}

int main(void) {
  const uint64_t pid = 42;
  Process* process = NULL;
  CHECK_CODE(plim_process_new(pid, &process), PLIM_SUCCESS);

  Features* features = NULL;
  CHECK_CODE(plim_features_all(&features), PLIM_SUCCESS);
  CHECK_CODE(plim_features_register_plugin(features, "pown"), PLIM_SUCCESS);
  CHECK_CODE(plim_process_set_features(process, features), PLIM_SUCCESS);
  CHECK_CODE(plim_features_delete(features), PLIM_SUCCESS);

  /* Three qubits: a control pair and a work qubit. */
  Qubit* q[3] = {NULL, NULL, NULL};
  for (int i = 0; i < 3; ++i) {
    CHECK_CODE(plim_process_allocate_qubit(process, false, &q[i]), PLIM_SUCCESS);
    CHECK(qubit_index(q[i]) == (uint64_t)i);
  }
  uint64_t pid_read = 0;
  CHECK_CODE(plim_qubit_pid(q[2], &pid_read), PLIM_SUCCESS);
  CHECK(pid_read == pid);

  /* H on q0, then X on q1 under q0: a Bell pair. */
  CHECK_CODE(plim_process_apply_gate(process, PLIM_GATE_HADAMARD, 0.0, q[0]), PLIM_SUCCESS);
  CHECK_CODE(plim_process_ctrl_push(process, &q[0], 1), PLIM_SUCCESS);
  CHECK_CODE(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, q[1]), PLIM_SUCCESS);
  CHECK_CODE(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, q[0]),
             PLIM_TARGET_ON_CONTROL);
  CHECK_CODE(plim_process_ctrl_push(process, &q[0], 1), PLIM_CONTROL_TWICE);
  CHECK_CODE(plim_process_apply_plugin(process, "pown", "3 7", &q[2], 1), PLIM_PLUGIN_ON_CTRL);
  CHECK_CODE(plim_process_ctrl_pop(process), PLIM_SUCCESS);
  CHECK_CODE(plim_process_ctrl_pop(process), PLIM_NO_CTRL);
  CHECK_CODE(plim_process_apply_gate(process, 8, 0.0, q[0]), PLIM_UNDEFINED_GATE);

  /* An inverse scope around two rotations; nothing but gates inside. */
  CHECK_CODE(plim_process_adj_begin(process), PLIM_SUCCESS);
  CHECK_CODE(plim_process_apply_gate(process, PLIM_GATE_RX, 0.5, q[2]), PLIM_SUCCESS);
  CHECK_CODE(plim_process_apply_gate(process, PLIM_GATE_RZ, 0.25, q[2]), PLIM_SUCCESS);
  Future* refused = NULL;
  CHECK_CODE(plim_process_measure(process, &q[2], 1, &refused), PLIM_NON_GATE_INSTRUCTION);
  CHECK(refused == NULL);
  CHECK_CODE(plim_process_adj_end(process), PLIM_SUCCESS);
  CHECK_CODE(plim_process_adj_end(process), PLIM_NO_ADJ);

  CHECK_CODE(plim_process_apply_plugin(process, "pown", "3 7", &q[2], 1), PLIM_SUCCESS);
  CHECK_CODE(plim_process_apply_plugin(process, "Pown", "3 7", &q[2], 1),
             PLIM_PLUGIN_NOT_REGISTERED);

  /* Measure the pair; the lost future of the refused measure took number 1. */
  Future* bell = NULL;
  CHECK_CODE(plim_process_measure(process, q, 2, &bell), PLIM_SUCCESS);
  CHECK(future_index(bell) == 2);
  bool flag = false;
  CHECK_CODE(plim_qubit_measured(q[0], &flag), PLIM_SUCCESS);
  CHECK(flag);
  CHECK_CODE(plim_qubit_allocated(q[0], &flag), PLIM_SUCCESS);
  CHECK(flag);
  CHECK_CODE(plim_future_available(bell, &flag), PLIM_SUCCESS);
  CHECK(!flag);
  int64_t value = 99;
  CHECK_CODE(plim_future_value(bell, &value), PLIM_DATA_NOT_AVAILABLE);
  CHECK(value == 99);

  /* Integer work: both = (bell == 3), kept in a counter. */
  Future* three = NULL;
  Future* both = NULL;
  Future* counter = NULL;
  CHECK_CODE(plim_process_int_new(process, 3, &three), PLIM_SUCCESS);
  CHECK_CODE(plim_process_add_int_op(process, PLIM_OP_EQ, bell, three, &both), PLIM_SUCCESS);
  CHECK_CODE(plim_process_add_int_op(process, 16, bell, three, &counter),
             PLIM_UNDEFINED_CLASSICAL_OP);
  CHECK(counter == NULL);
  CHECK_CODE(plim_process_int_new(process, 0, &counter), PLIM_SUCCESS);
  CHECK_CODE(plim_process_int_set(process, counter, both), PLIM_SUCCESS);
  uint64_t pid_of_future = 0;
  CHECK_CODE(plim_future_pid(both, &pid_of_future), PLIM_SUCCESS);
  CHECK(pid_of_future == pid);

  /* A conditional: branch to flip or skip, both join at the end. */
  Label* flip = NULL;
  Label* skip = NULL;
  Label* join = NULL;
  CHECK_CODE(plim_process_get_label(process, &flip), PLIM_SUCCESS);
  CHECK_CODE(plim_process_get_label(process, &skip), PLIM_SUCCESS);
  CHECK_CODE(plim_process_get_label(process, &join), PLIM_SUCCESS);
  CHECK(label_index(flip) == 1 && label_index(skip) == 2 && label_index(join) == 3);
  CHECK_CODE(plim_label_pid(join, &pid_read), PLIM_SUCCESS);
  CHECK(pid_read == pid);
  CHECK_CODE(plim_process_branch(process, both, flip, skip), PLIM_SUCCESS);
  CHECK_CODE(plim_process_jump(process, join), PLIM_TERMINATED_BLOCK);

  CHECK_CODE(plim_process_open_block(process, flip), PLIM_SUCCESS);
  CHECK_CODE(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, q[2]), PLIM_SUCCESS);
  CHECK_CODE(plim_process_jump(process, join), PLIM_SUCCESS);
  CHECK_CODE(plim_process_open_block(process, skip), PLIM_SUCCESS);
  CHECK_CODE(plim_process_jump(process, join), PLIM_SUCCESS);
  CHECK_CODE(plim_process_open_block(process, join), PLIM_SUCCESS);

  /* Dump the work qubit, release it, and close the program. */
  Dump* state = NULL;
  CHECK_CODE(plim_process_dump(process, &q[2], 1, &state), PLIM_SUCCESS);
  CHECK_CODE(plim_dump_available(state, &flag), PLIM_SUCCESS);
  CHECK(!flag);
  int type = -1;
  CHECK_CODE(plim_dump_type(state, &type), PLIM_DATA_NOT_AVAILABLE);
  CHECK(type == -1);
  CHECK_CODE(plim_process_free_qubit(process, q[2], false), PLIM_SUCCESS);
  CHECK_CODE(plim_qubit_allocated(q[2], &flag), PLIM_SUCCESS);
  CHECK(!flag);
  CHECK_CODE(plim_process_free_qubit(process, q[2], false), PLIM_DEALLOCATED_QUBIT);
  CHECK_CODE(plim_process_prepare_for_execution(process), PLIM_SUCCESS);
  CHECK_CODE(plim_process_prepare_for_execution(process), PLIM_SUCCESS);
  Qubit* late = NULL;
  CHECK_CODE(plim_process_allocate_qubit(process, false, &late), PLIM_TERMINATED_BLOCK);
  CHECK(late == NULL);

  /* A second process refuses the first one's handles. */
  Process* other = NULL;
  CHECK_CODE(plim_process_new(pid + 1, &other), PLIM_SUCCESS);
  CHECK_CODE(plim_process_apply_gate(other, PLIM_GATE_PAULI_X, 0.0, q[0]), PLIM_UNMATCHED_PID);
  CHECK_CODE(plim_process_open_block(other, join), PLIM_UNMATCHED_PID);
  CHECK_CODE(plim_process_delete(other), PLIM_SUCCESS);

  /* Handles outlive their process. */
  CHECK_CODE(plim_process_delete(process), PLIM_SUCCESS);
  CHECK(future_index(bell) == 2);
  CHECK_CODE(plim_future_available(bell, &flag), PLIM_SUCCESS);
  CHECK(!flag);
  size_t size = 0;
  const char* message = plim_error_message(PLIM_TERMINATED_BLOCK, &size);
  CHECK(size == 46 && memcmp(message, "cannot append statements to a terminated block", size) == 0);

  for (int i = 0; i < 3; ++i) CHECK_CODE(plim_qubit_delete(q[i]), PLIM_SUCCESS);
  CHECK_CODE(plim_future_delete(bell), PLIM_SUCCESS);
  CHECK_CODE(plim_future_delete(three), PLIM_SUCCESS);
  CHECK_CODE(plim_future_delete(both), PLIM_SUCCESS);
  CHECK_CODE(plim_future_delete(counter), PLIM_SUCCESS);
  CHECK_CODE(plim_label_delete(flip), PLIM_SUCCESS);
  CHECK_CODE(plim_label_delete(skip), PLIM_SUCCESS);
  CHECK_CODE(plim_label_delete(join), PLIM_SUCCESS);
  CHECK_CODE(plim_dump_delete(state), PLIM_SUCCESS);

  return check_summary();
}
