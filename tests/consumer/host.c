/* Flips one qubit, measures it on each back end and prints what came back. */
#include <inttypes.h>
#include <stdio.h>

#include "fenn.h"
#include "plim.h"
#include "tessor_nivra.h"

int main(void) {
  Process* process = NULL;
  Qubit* qubit = NULL;
  Future* bit = NULL;
  if (plim_process_new(1, &process) != PLIM_SUCCESS ||
      plim_process_allocate_qubit(process, 0, &qubit) != PLIM_SUCCESS ||
      plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, qubit) != PLIM_SUCCESS ||
      plim_process_measure(process, &qubit, 1, &bit) != PLIM_SUCCESS ||
      plim_process_prepare_for_execution(process) != PLIM_SUCCESS)
    return 1;

  const char* const names[3] = {"dense", "sparse", "external"};
  for (int backend = 0; backend < 3; ++backend) {
    const int code = backend == 2 ? tessor_nivra_run_and_set_result(process)
                                  : fenn_run_and_set_result(process, backend);
    int64_t value = -1;
    if (code != FENN_SUCCESS || plim_future_value(bit, &value) != PLIM_SUCCESS) return 1;
    printf("%s %" PRId64 "\n", names[backend], value);
  }

  size_t size = 0;
  const char* text = plim_error_message(PLIM_NO_CTRL, &size);
  printf("%.*s\n", (int)size, text);
  plim_future_delete(bit);
  plim_qubit_delete(qubit);
  plim_process_delete(process);
  return 0;
}
