/*
 * The process builder: a host builds one quantum program per Process, call by
 * call, then hands its metrics and quantum code to an executor and takes the
 * result back into the program's futures and dumps.
 *
 * Conventions for every function below:
 * - The result is a PlimError code (PLIM_*, below): PLIM_SUCCESS, which is
 *   0, on success (see plim_error_message).
 * - An out-parameter is written only when the function returns PLIM_SUCCESS.
 * - Lists of handles are an array of handle pointers and a count (may be 0);
 *   the library keeps none of the handles after the call.
 * - Texts are zero-terminated UTF-8 and are copied. Byte strings handed out
 *   are a pointer and a length, never zero-terminated.
 * - Pointers must be valid, live objects of their kind; nothing is checked
 *   for null.
 * - Every object the library hands out is freed with its family's _delete.
 */
#ifndef PLIM_H
#define PLIM_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "plim_export.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct Process Process;
typedef struct Features Features;
typedef struct Qubit Qubit;
typedef struct Future Future;
typedef struct Label Label;
typedef struct Dump Dump;

/* Gate numbers accepted by plim_process_apply_gate. */
enum {
  PLIM_GATE_PAULI_X = 0,
  PLIM_GATE_PAULI_Y = 1,
  PLIM_GATE_PAULI_Z = 2,
  PLIM_GATE_HADAMARD = 3,
  PLIM_GATE_PHASE = 4,
  PLIM_GATE_RX = 5,
  PLIM_GATE_RY = 6,
  PLIM_GATE_RZ = 7
};

/* Integer operation numbers accepted by plim_process_add_int_op. */
enum {
  PLIM_OP_EQ = 0, PLIM_OP_NEQ = 1, PLIM_OP_GT = 2, PLIM_OP_GEQ = 3,
  PLIM_OP_LT = 4, PLIM_OP_LEQ = 5, PLIM_OP_ADD = 6, PLIM_OP_SUB = 7,
  PLIM_OP_MUL = 8, PLIM_OP_MOD = 9, PLIM_OP_DIV = 10, PLIM_OP_SLL = 11,
  PLIM_OP_SRL = 12, PLIM_OP_AND = 13, PLIM_OP_OR = 14, PLIM_OP_XOR = 15
};

/* Encodings of serialised data. */
enum { PLIM_DATA_JSON = 0, PLIM_DATA_BIN = 1 };

/* Variant numbers reported by plim_dump_type. */
enum { PLIM_DUMP_VECTOR = 0, PLIM_DUMP_PROBABILITY = 1, PLIM_DUMP_SHOTS = 2 };

/* ------------------------------------------------------------------ errors */

/* Builder error codes (PlimError), returned by every plim_* function but
 * plim_error_message. No call produces PLIM_NOT_BIN, PLIM_NOT_JSON,
 * PLIM_NOT_UNITARY or PLIM_UNDEFINED_ERROR; they keep their numbers and
 * messages. */
enum {
  PLIM_SUCCESS = 0,
  PLIM_CONTROL_TWICE = 1,
  PLIM_DATA_NOT_AVAILABLE = 2,
  PLIM_DEALLOCATED_QUBIT = 3,
  PLIM_FAIL_TO_PARSE_RESULT = 4,
  PLIM_NO_ADJ = 5,
  PLIM_NO_CTRL = 6,
  PLIM_NON_GATE_INSTRUCTION = 7,
  PLIM_NOT_BIN = 8,
  PLIM_NOT_JSON = 9,
  PLIM_NOT_UNITARY = 10,
  PLIM_PLUGIN_ON_CTRL = 11,
  PLIM_TARGET_ON_CONTROL = 12,
  PLIM_TERMINATED_BLOCK = 13,
  PLIM_UNDEFINED_CLASSICAL_OP = 14,
  PLIM_UNDEFINED_DATA_TYPE = 15,
  PLIM_UNDEFINED_GATE = 16,
  PLIM_UNEXPECTED_RESULT_DATA = 17,
  PLIM_UNMATCHED_PID = 18,
  PLIM_DIRTY_NOT_ALLOWED = 19,
  PLIM_DUMP_NOT_ALLOWED = 20,
  PLIM_MEASURE_NOT_ALLOWED = 21,
  PLIM_FREE_NOT_ALLOWED = 22,
  PLIM_PLUGIN_NOT_REGISTERED = 23,
  PLIM_CONTROL_FLOW_NOT_ALLOWED = 24,
  PLIM_UNDEFINED_ERROR = 25
};

/* The message of a builder error code. Codes above PLIM_UNDEFINED_ERROR,
 * and negative codes, give "undefined error". *size receives the length;
 * the text is static and not zero-terminated. */
PLIM_API const char* plim_error_message(int error_code, size_t* size);

/* --------------------------------------------------------------- processes */

/* Makes a process with the host's pid. Block 0 is current; future 0 holds
 * the constant 0; all seven feature flags are set and no plug-in is
 * registered. Always PLIM_SUCCESS. */
PLIM_API int plim_process_new(uint64_t pid, Process** process);

/* Destroys the process. Future and dump handles stay readable. Always PLIM_SUCCESS. */
PLIM_API int plim_process_delete(Process* process);

/* Replaces the process's flags and registered plug-in names with a copy of
 * the record; the host still deletes the record. Always PLIM_SUCCESS. */
PLIM_API int plim_process_set_features(Process* process, Features* features);

/* Allocates a new qubit and appends Alloc. Checks: dirty without
 * allow_dirty_qubits (PLIM_DIRTY_NOT_ALLOWED); then the append
 * (PLIM_NON_GATE_INSTRUCTION, PLIM_TERMINATED_BLOCK), after which the qubit
 * number stays used up. */
PLIM_API int plim_process_allocate_qubit(Process* process, unsigned char dirty, Qubit** qubit);

/* Releases a qubit and appends Free. Checks in order: dirty without
 * allow_dirty_qubits (PLIM_DIRTY_NOT_ALLOWED), allow_free clear
 * (PLIM_FREE_NOT_ALLOWED), another pid (PLIM_UNMATCHED_PID), already released
 * (PLIM_DEALLOCATED_QUBIT), the append (PLIM_NON_GATE_INSTRUCTION,
 * PLIM_TERMINATED_BLOCK). The qubit reads as released only on success. */
PLIM_API int plim_process_free_qubit(Process* process, Qubit* qubit, unsigned char dirty);

/* Applies gate 0..7 (PLIM_GATE_*) to the target under every control list on
 * the stack; param is the angle of gates 4..7 and ignored otherwise. Inside
 * an odd number of open inverse scopes the gate is stored inverted. Checks in
 * order: gate number (PLIM_UNDEFINED_GATE), target released
 * (PLIM_DEALLOCATED_QUBIT), another pid (PLIM_UNMATCHED_PID), target on a
 * control list (PLIM_TARGET_ON_CONTROL), the append (PLIM_TERMINATED_BLOCK). */
PLIM_API int plim_process_apply_gate(Process* process, int gate, double param, Qubit* target);

/* Pushes a control list. Checks each qubit: released (PLIM_DEALLOCATED_QUBIT),
 * another pid (PLIM_UNMATCHED_PID), already on a list of the stack
 * (PLIM_CONTROL_TWICE). An empty list may be pushed. */
PLIM_API int plim_process_ctrl_push(Process* process, Qubit** qubits, size_t size);

/* Pops the newest control list; PLIM_NO_CTRL when the stack is empty. */
PLIM_API int plim_process_ctrl_pop(Process* process);

/* Opens an inverse scope in the current block; PLIM_TERMINATED_BLOCK when
 * the block is terminated. */
PLIM_API int plim_process_adj_begin(Process* process);

/* Closes the innermost inverse scope of the current block, passing its gates
 * in reverse order to the enclosing level; PLIM_NO_ADJ when none is open. */
PLIM_API int plim_process_adj_end(Process* process);

/* Calls a registered plug-in on the targets with the argument text. Checks in
 * order: name not registered (PLIM_PLUGIN_NOT_REGISTERED), control stack not
 * empty (PLIM_PLUGIN_ON_CTRL), a target of another pid (PLIM_UNMATCHED_PID),
 * the append (PLIM_NON_GATE_INSTRUCTION, PLIM_TERMINATED_BLOCK). The name is
 * recorded in the metrics before the append. */
PLIM_API int plim_process_apply_plugin(Process* process, const char* name, const char* args,
                                       Qubit** target, size_t size);

/* Measures the qubits into a new future. Checks: allow_measure clear
 * (PLIM_MEASURE_NOT_ALLOWED); then per qubit another pid (PLIM_UNMATCHED_PID)
 * or released (PLIM_DEALLOCATED_QUBIT), each accepted qubit being marked
 * measured before the next is checked; the append (PLIM_NON_GATE_INSTRUCTION,
 * PLIM_TERMINATED_BLOCK). Without valid_after_measure the qubits read as
 * released afterwards. */
PLIM_API int plim_process_measure(Process* process, Qubit** qubits, size_t size, Future** future);

/* Dumps the state of the qubits into a new dump. Checks: allow_dump clear
 * (PLIM_DUMP_NOT_ALLOWED); per qubit another pid (PLIM_UNMATCHED_PID) or
 * released (PLIM_DEALLOCATED_QUBIT); the append (PLIM_NON_GATE_INSTRUCTION,
 * PLIM_TERMINATED_BLOCK). Without continue_after_dump the first dump also
 * prepares the process. */
PLIM_API int plim_process_dump(Process* process, Qubit** qubits, size_t size, Dump** dump);

/* A new future = op(lhs, rhs) with op 0..15 (PLIM_OP_*). Checks in order: op
 * number (PLIM_UNDEFINED_CLASSICAL_OP), allow_control_flow clear
 * (PLIM_CONTROL_FLOW_NOT_ALLOWED), lhs or rhs of another pid
 * (PLIM_UNMATCHED_PID), the append (PLIM_NON_GATE_INSTRUCTION,
 * PLIM_TERMINATED_BLOCK). */
PLIM_API int plim_process_add_int_op(Process* process, int op, Future* lhs, Future* rhs,
                                     Future** result);

/* A new future set to value at run time (it reads as unavailable until a
 * result arrives). Checks: allow_control_flow clear
 * (PLIM_CONTROL_FLOW_NOT_ALLOWED), the append (PLIM_NON_GATE_INSTRUCTION,
 * PLIM_TERMINATED_BLOCK). */
PLIM_API int plim_process_int_new(Process* process, int64_t value, Future** future);

/* destination = source at run time. Checks: allow_control_flow clear
 * (PLIM_CONTROL_FLOW_NOT_ALLOWED), destination or source of another pid
 * (PLIM_UNMATCHED_PID), the append (PLIM_NON_GATE_INSTRUCTION,
 * PLIM_TERMINATED_BLOCK). */
PLIM_API int plim_process_int_set(Process* process, Future* destination, Future* source);

/* A label naming a new, empty block; the current block does not change.
 * PLIM_CONTROL_FLOW_NOT_ALLOWED without allow_control_flow. */
PLIM_API int plim_process_get_label(Process* process, Label** label);

/* Makes the labelled block current; PLIM_UNMATCHED_PID for another pid. */
PLIM_API int plim_process_open_block(Process* process, Label* label);

/* Ends the current block with a jump to the label. Checks: another pid
 * (PLIM_UNMATCHED_PID), the append (PLIM_NON_GATE_INSTRUCTION,
 * PLIM_TERMINATED_BLOCK). */
PLIM_API int plim_process_jump(Process* process, Label* label);

/* Ends the current block with a branch on test: to then when it is not 0,
 * else to otherwise. Checks: test, then, otherwise of another pid
 * (PLIM_UNMATCHED_PID), the append (PLIM_NON_GATE_INSTRUCTION,
 * PLIM_TERMINATED_BLOCK). */
PLIM_API int plim_process_branch(Process* process, Future* test, Label* then, Label* otherwise);

/* Marks the process ready and ends the current block with Halt;
 * PLIM_SUCCESS without doing anything when already ready. A failing append
 * (PLIM_NON_GATE_INSTRUCTION, PLIM_TERMINATED_BLOCK) leaves the process
 * ready. */
PLIM_API int plim_process_prepare_for_execution(Process* process);

/* ------------------------------------------- serialisation and result intake */

/* Encodes the metrics as data_type (PLIM_DATA_JSON or PLIM_DATA_BIN) and keeps
 * the bytes, replacing the previous encoding. PLIM_UNDEFINED_DATA_TYPE for
 * another data type. */
PLIM_API int plim_process_serialize_metrics(Process* process, int data_type);

/* Encodes the quantum code (every block, open inverse scopes excluded) and
 * keeps the bytes. PLIM_UNDEFINED_DATA_TYPE for another data type. */
PLIM_API int plim_process_serialize_quantum_code(Process* process, int data_type);

/* Lends the kept metrics encoding; valid until the next successful
 * serialisation of the metrics or the process's deletion.
 * PLIM_DATA_NOT_AVAILABLE when none. */
PLIM_API int plim_process_get_serialized_metrics(Process* process, const uint8_t** data,
                                                 size_t* size, int* data_type);

/* Lends the kept quantum-code encoding, as above. PLIM_DATA_NOT_AVAILABLE
 * when none. */
PLIM_API int plim_process_get_serialized_quantum_code(Process* process, const uint8_t** data,
                                                      size_t* size, int* data_type);

/* Decodes an encoded result and stores every future value, dump and the
 * execution time. PLIM_UNDEFINED_DATA_TYPE for another data type,
 * PLIM_FAIL_TO_PARSE_RESULT when the bytes do not decode,
 * PLIM_UNEXPECTED_RESULT_DATA when the numbers of futures or dumps differ
 * from the process's; the process is unchanged on every failure. The bytes
 * are only read. */
PLIM_API int plim_process_set_serialized_result(Process* process, const uint8_t* data,
                                                size_t size, int data_type);

/* The execution time in seconds of the last stored result;
 * PLIM_DATA_NOT_AVAILABLE when none. */
PLIM_API int plim_process_exec_time(Process* process, double* exec_time);

/* Sets the run's time limit in whole seconds. Always PLIM_SUCCESS. */
PLIM_API int plim_process_set_timeout(Process* process, uint64_t timeout);

/* ---------------------------------------------------------------- features */

/* A record with the seven given flags and no plug-in name. Always PLIM_SUCCESS. */
PLIM_API int plim_features_new(unsigned char allow_dirty_qubits, unsigned char allow_free,
                               unsigned char valid_after_measure, unsigned char allow_control_flow,
                               unsigned char allow_dump, unsigned char allow_measure,
                               unsigned char continue_after_dump, Features** features);

/* A record with all seven flags set. Always PLIM_SUCCESS. */
PLIM_API int plim_features_all(Features** features);

/* A record with only allow_measure set. Always PLIM_SUCCESS. */
PLIM_API int plim_features_none(Features** features);

/* Destroys the record; processes keep their copies. Always PLIM_SUCCESS. */
PLIM_API int plim_features_delete(Features* features);

/* Adds a plug-in name (compared as exact bytes). Always PLIM_SUCCESS. */
PLIM_API int plim_features_register_plugin(Features* features, const char* name);

/* ------------------------------------------------------------------ qubits */

/* Destroys the handle. Always PLIM_SUCCESS. */
PLIM_API int plim_qubit_delete(Qubit* qubit);
/* The qubit number. Always PLIM_SUCCESS. */
PLIM_API int plim_qubit_index(Qubit* qubit, uint64_t* index);
/* The pid of the process that made it. Always PLIM_SUCCESS. */
PLIM_API int plim_qubit_pid(Qubit* qubit, uint64_t* pid);
/* Whether it is still allocated. Always PLIM_SUCCESS. */
PLIM_API int plim_qubit_allocated(Qubit* qubit, bool* allocated);
/* Whether it has been measured. Always PLIM_SUCCESS. */
PLIM_API int plim_qubit_measured(Qubit* qubit, bool* measured);

/* ----------------------------------------------------------------- futures */

/* Releases the handle's share of the value; the process keeps its own.
 * Always PLIM_SUCCESS. */
PLIM_API int plim_future_delete(Future* future);
/* The future number (the same code as plim_qubit_index). Always PLIM_SUCCESS. */
PLIM_API int plim_future_index(Future* future, uint64_t* index);
/* The pid of the process that made it (the same code as plim_qubit_pid).
 * Always PLIM_SUCCESS. */
PLIM_API int plim_future_pid(Future* future, uint64_t* pid);
/* The value of the last stored result; PLIM_DATA_NOT_AVAILABLE before the
 * first one. */
PLIM_API int plim_future_value(Future* future, int64_t* value);
/* Whether a value is stored. Always PLIM_SUCCESS. */
PLIM_API int plim_future_available(Future* future, bool* available);

/* ------------------------------------------------------------------ labels */

/* Destroys the handle. Always PLIM_SUCCESS. */
PLIM_API int plim_label_delete(Label* label);
/* The block number. Always PLIM_SUCCESS. */
PLIM_API int plim_label_index(Label* label, uint64_t* index);
/* The pid of the process that made it. Always PLIM_SUCCESS. */
PLIM_API int plim_label_pid(Label* label, uint64_t* pid);

/* ------------------------------------------------------------------- dumps */
/* The readers lend the stored lists in place: the pointers are never null
 * (also for empty lists) and stay valid until the next result is stored into
 * the process or both the process and the handle are deleted. Each reader
 * answers PLIM_DATA_NOT_AVAILABLE while no result is stored, and the list
 * readers also for another variant. */

/* Releases the handle's share of the value. Always PLIM_SUCCESS. */
PLIM_API int plim_dump_delete(Dump* dump);
/* Whether a value is stored. Always PLIM_SUCCESS. */
PLIM_API int plim_dump_available(Dump* dump, bool* available);
/* PLIM_DUMP_VECTOR, PLIM_DUMP_PROBABILITY or PLIM_DUMP_SHOTS. */
PLIM_API int plim_dump_type(Dump* dump, int* type);
/* The number of basis states (any variant). */
PLIM_API int plim_dump_states_size(Dump* dump, size_t* size);
/* The words of basis state index, most significant first; index must be
 * below plim_dump_states_size. */
PLIM_API int plim_dump_state(Dump* dump, size_t index, const uint64_t** state, size_t* size);
/* Real parts of the amplitudes (Vector only). */
PLIM_API int plim_dump_amplitudes_real(Dump* dump, const double** amplitudes, size_t* size);
/* Imaginary parts of the amplitudes (Vector only). */
PLIM_API int plim_dump_amplitudes_imag(Dump* dump, const double** amplitudes, size_t* size);
/* Probabilities (Probability only). */
PLIM_API int plim_dump_probabilities(Dump* dump, const double** probabilities, size_t* size);
/* Shot counts, 32 bits each (Shots only). */
PLIM_API int plim_dump_count(Dump* dump, const uint32_t** count, size_t* size);
/* Total number of shots (Shots only). */
PLIM_API int plim_dump_total(Dump* dump, uint64_t* total);

#ifdef __cplusplus
}
#endif

#endif
