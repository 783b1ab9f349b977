/*
 * The built-in simulators: run quantum code on the dense state-vector
 * simulator (at most 32 qubits) or on the sparse simulator (no qubit limit),
 * either from encoded bytes or from a prepared Process.
 *
 * Every function returns a FennError code (FENN_*, below): FENN_SUCCESS,
 * which is 0, on success (see fenn_error_message). Out-parameters are
 * written only on success.
 */
#ifndef FENN_H
#define FENN_H

#include <stddef.h>
#include <stdint.h>

#include "plim.h"
#include "plim_export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* An owned, encoded result; read with fenn_result_get, freed with
 * fenn_result_delete. */
typedef struct Result Result;

/* Simulation modes. */
enum { FENN_SIM_DENSE = 0, FENN_SIM_SPARSE = 1 };

/* FennError codes. */
enum {
  FENN_SUCCESS = 0,
  FENN_TIMEOUT = 1,
  FENN_OUT_OF_QUBITS = 2,
  FENN_TOO_MANY_QUBITS = 3,
  FENN_UNSUPPORTED_PLUGIN = 4,
  FENN_NOT_READY = 5,
  FENN_UNDEFINED_DATA_TYPE = 6,
  FENN_UNDEFINED_SIM_MODE = 7,
  FENN_UNDEFINED_ERROR = 8
};

/* The message of a FennError code; codes outside FENN_SUCCESS ..
 * FENN_UNDEFINED_ERROR give "undefined error". *size receives the length;
 * the text is static and not zero-terminated. */
PLIM_API const char* fenn_error_message(int error_code, size_t* size);

/* Runs a prepared process on the simulator of sim_mode (FENN_SIM_*) and
 * stores futures, dumps and execution time in it. FENN_UNDEFINED_SIM_MODE
 * for another sim_mode (the process is not read); FENN_TOO_MANY_QUBITS,
 * FENN_UNSUPPORTED_PLUGIN from building the simulator; FENN_NOT_READY,
 * FENN_TIMEOUT, FENN_OUT_OF_QUBITS or a plug-in's code from the run. On
 * failure the process is unchanged. */
PLIM_API int fenn_run_and_set_result(Process* process, int sim_mode);

/* Decodes quantum code and metrics encoded as data_type (PLIM_DATA_JSON or
 * PLIM_DATA_BIN), runs them on the simulator of sim_mode and hands out the
 * result encoded the same way. FENN_UNDEFINED_DATA_TYPE for another
 * data_type (checked first); FENN_UNDEFINED_SIM_MODE for another sim_mode
 * (checked after both inputs decode); FENN_TOO_MANY_QUBITS,
 * FENN_UNSUPPORTED_PLUGIN from building the simulator; FENN_NOT_READY,
 * FENN_TIMEOUT, FENN_OUT_OF_QUBITS or a plug-in's code from the run. The
 * inputs are only read. *result is written only on FENN_SUCCESS. */
PLIM_API int fenn_run_serialized(const uint8_t* quantum_code, uint64_t quantum_code_size,
                                 const uint8_t* metrics, uint64_t metrics_size, int data_type,
                                 int sim_mode, Result** result);

/* Lends the encoded bytes (not zero-terminated); valid until
 * fenn_result_delete. Always FENN_SUCCESS. */
PLIM_API int fenn_result_get(Result* result, const uint8_t** data, uint64_t* size);

/* Frees the result and its bytes. Always FENN_SUCCESS. */
PLIM_API int fenn_result_delete(Result* result);

#ifdef __cplusplus
}
#endif

#endif
