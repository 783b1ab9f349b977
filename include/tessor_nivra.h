/*
 * The external back end: runs quantum code (Unitary gates excepted) on the
 * closed simulation library libtz_nivra, for at most 50 qubits. Results are
 * handed out in the simulator's Result (read with fenn_result_get, freed with
 * fenn_result_delete) and codes are FennError codes (fenn_error_message).
 */
#ifndef TESSOR_NIVRA_H
#define TESSOR_NIVRA_H

#include <stdint.h>

#include "fenn.h"
#include "plim.h"
#include "plim_export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Decodes quantum code and metrics encoded as data_type, runs them on the
 * closed library and hands out the result encoded the same way.
 * FENN_UNDEFINED_DATA_TYPE for another data_type (checked first);
 * FENN_TOO_MANY_QUBITS for more than 50 qubits (checked after both inputs
 * decode); FENN_NOT_READY, FENN_TIMEOUT, FENN_OUT_OF_QUBITS from the run.
 * *result is written only on FENN_SUCCESS. */
PLIM_API int tessor_nivra_run_serialized(const uint8_t* quantum_code, uint64_t quantum_code_size,
                                         const uint8_t* metrics, uint64_t metrics_size,
                                         int data_type, Result** result);

/* Runs a prepared process on the closed library and stores the result in
 * it. FENN_TOO_MANY_QUBITS for more than 50 qubits; FENN_NOT_READY,
 * FENN_TIMEOUT, FENN_OUT_OF_QUBITS from the run; on failure the process is
 * unchanged. */
PLIM_API int tessor_nivra_run_and_set_result(Process* process);

#ifdef __cplusplus
}
#endif

#endif
