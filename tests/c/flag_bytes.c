/* Flag and dirty bytes other than 0 and 1 count as set, and what the library
 * writes of them is always 0x00 or 0x01. The functions are called through
 * pointers of the byte-taking type, as a binding that is not C hands the byte
 * over: the byte reaches the library as given, whatever the header says. */
#include <stdint.h>
#include <stdio.h>

#include "fenn.h"
#include "plim.h"

#include "check.h"


typedef int (*FeaturesNew)(unsigned char, unsigned char, unsigned char, unsigned char,
                           unsigned char, unsigned char, unsigned char, Features**);
typedef int (*AllocateQubit)(Process*, unsigned char, Qubit**);
typedef int (*FreeQubit)(Process*, Qubit*, unsigned char);

static const FeaturesNew features_new = (FeaturesNew)plim_features_new;
static const AllocateQubit allocate_qubit = (AllocateQubit)plim_process_allocate_qubit;
static const FreeQubit free_qubit = (FreeQubit)plim_process_free_qubit;

static const unsigned char kBytes[] = {0x00, 0x01, 0x02, 0x80, 0xFF};
enum { kByteCount = sizeof kBytes / sizeof kBytes[0], kFlagCount = 7 };

/* A process whose features have every flag set but `flag`, which gets `byte`. */
static Process* process_with(int flag, unsigned char byte) {
  unsigned char f[kFlagCount] = {1, 1, 1, 1, 1, 1, 1};
  f[flag] = byte;
  Features* features = NULL;
  CHECK(features_new(f[0], f[1], f[2], f[3], f[4], f[5], f[6], &features) == PLIM_SUCCESS);
  Process* process = NULL;
  CHECK(plim_process_new(9, &process) == PLIM_SUCCESS);
  CHECK(plim_process_set_features(process, features) == PLIM_SUCCESS);
  CHECK(plim_features_delete(features) == PLIM_SUCCESS);
  return process;
}

static Qubit* clean_qubit(Process* process) {
  Qubit* qubit = NULL;
  CHECK(allocate_qubit(process, 0, &qubit) == PLIM_SUCCESS);
  return qubit;
}

static int measure(Process* process, Qubit* qubit) {
  Future* bit = NULL;
  const int answer = plim_process_measure(process, &qubit, 1, &bit);
  if (answer == PLIM_SUCCESS) plim_future_delete(bit);
  return answer;
}

static int dump(Process* process, Qubit* qubit) {
  Dump* made = NULL;
  const int answer = plim_process_dump(process, &qubit, 1, &made);
  if (answer == PLIM_SUCCESS) plim_dump_delete(made);
  return answer;
}

static int allocate_dirty(Process* process, Qubit* unused) {
  (void)unused;
  Qubit* qubit = NULL;
  const int answer = allocate_qubit(process, 1, &qubit);
  if (answer == PLIM_SUCCESS) plim_qubit_delete(qubit);
  return answer;
}

static int release(Process* process, Qubit* qubit) { return free_qubit(process, qubit, 0); }

static int gate_after_measure(Process* process, Qubit* qubit) {
  CHECK(measure(process, qubit) == PLIM_SUCCESS);
  return plim_process_apply_gate(process, PLIM_GATE_HADAMARD, 0.0, qubit);
}

static int get_label(Process* process, Qubit* unused) {
  (void)unused;
  Label* label = NULL;
  const int answer = plim_process_get_label(process, &label);
  if (answer == PLIM_SUCCESS) plim_label_delete(label);
  return answer;
}

/* Without continue_after_dump the dump ends the block, and the next append
 * is refused. */
static int allocate_after_dump(Process* process, Qubit* qubit) {
  CHECK(dump(process, qubit) == PLIM_SUCCESS);
  Qubit* next = NULL;
  const int answer = allocate_qubit(process, 0, &next);
  if (answer == PLIM_SUCCESS) plim_qubit_delete(next);
  return answer;
}

/* For each flag, in the order plim_features_new takes them, a call on a
 * clean qubit that answers PLIM_SUCCESS while the flag is in force and
 * `refusal` otherwise. */
static const struct {
  int (*call)(Process*, Qubit*);
  int refusal;
} kProbes[kFlagCount] = {
    {allocate_dirty, PLIM_DIRTY_NOT_ALLOWED},
    {release, PLIM_FREE_NOT_ALLOWED},
    {gate_after_measure, PLIM_DEALLOCATED_QUBIT},
    {get_label, PLIM_CONTROL_FLOW_NOT_ALLOWED},
    {dump, PLIM_DUMP_NOT_ALLOWED},
    {measure, PLIM_MEASURE_NOT_ALLOWED},
    {allocate_after_dump, PLIM_TERMINATED_BLOCK},
};

static void each_flag_byte_counts_as_set_unless_zero(void) {
  for (int flag = 0; flag < kFlagCount; ++flag) {
    for (int b = 0; b < kByteCount; ++b) {
      Process* process = process_with(flag, kBytes[b]);
      Qubit* qubit = clean_qubit(process);
      const int answer = kProbes[flag].call(process, qubit);
      const int expected = kBytes[b] != 0 ? PLIM_SUCCESS : kProbes[flag].refusal;
      if (answer != expected)
        fprintf(stderr, "flag %d given as byte 0x%02X answers %d\n", flag, kBytes[b], answer);
      CHECK(answer == expected);
      plim_qubit_delete(qubit);
      plim_process_delete(process);
    }
  }
}

/* With dirty qubits forbidden, every dirty byte but 0 is refused. */
static void each_dirty_byte_counts_as_set_unless_zero(void) {
  for (int b = 0; b < kByteCount; ++b) {
    Process* process = process_with(0, 0);
    Qubit* qubit = NULL;
    const int expected = kBytes[b] != 0 ? PLIM_DIRTY_NOT_ALLOWED : PLIM_SUCCESS;
    CHECK(allocate_qubit(process, kBytes[b], &qubit) == expected);
    if (qubit != NULL) plim_qubit_delete(qubit);
    qubit = clean_qubit(process);
    CHECK(free_qubit(process, qubit, kBytes[b]) == expected);
    plim_qubit_delete(qubit);
    plim_process_delete(process);
  }
}

static const uint8_t* serialized_code(Process* process, size_t* size) {
  const uint8_t* data = NULL;
  int type = -1;
  CHECK(plim_process_serialize_quantum_code(process, PLIM_DATA_BIN) == PLIM_SUCCESS);
  CHECK(plim_process_get_serialized_quantum_code(process, &data, size, &type) == PLIM_SUCCESS);
  return data;
}

/* Every dirty byte is written as 0x00 or 0x01, so the library's own BIN
 * reader takes the code back. */
static void bin_holds_normalised_dirty_bytes(void) {
  Process* process = NULL;
  CHECK(plim_process_new(9, &process) == PLIM_SUCCESS);
  for (int b = 0; b < kByteCount; ++b) {
    Qubit* qubit = NULL;
    CHECK(allocate_qubit(process, kBytes[b], &qubit) == PLIM_SUCCESS);
    CHECK(free_qubit(process, qubit, kBytes[b]) == PLIM_SUCCESS);
    plim_qubit_delete(qubit);
  }
  CHECK(plim_process_prepare_for_execution(process) == PLIM_SUCCESS);

  size_t code_size = 0;
  const uint8_t* code = serialized_code(process, &code_size);
  /* Block count, instruction count, then 13 bytes per Alloc or Free: the
   * 4-byte variant index, the dirty byte, the 8-byte target. */
  CHECK(code_size >= 16 + 2 * kByteCount * 13);
  for (int i = 0; i < 2 * kByteCount && code_size >= 16 + 2 * kByteCount * 13; ++i) {
    const uint8_t* instruction = code + 16 + 13 * i;
    CHECK(instruction[0] == (i % 2 == 0 ? 0 : 1));
    CHECK(instruction[4] == (kBytes[i / 2] != 0 ? 0x01 : 0x00));
  }

  const uint8_t* metrics = NULL;
  size_t metrics_size = 0;
  int type = -1;
  CHECK(plim_process_serialize_metrics(process, PLIM_DATA_BIN) == PLIM_SUCCESS);
  CHECK(plim_process_get_serialized_metrics(process, &metrics, &metrics_size, &type) ==
        PLIM_SUCCESS);
  for (int mode = FENN_SIM_DENSE; mode <= FENN_SIM_SPARSE; ++mode) {
    Result* result = NULL;
    CHECK(fenn_run_serialized(code, code_size, metrics, metrics_size, PLIM_DATA_BIN, mode,
                              &result) == FENN_SUCCESS);
    if (result != NULL) fenn_result_delete(result);
  }
  plim_process_delete(process);
}

int main(void) {
  each_flag_byte_counts_as_set_unless_zero();
  each_dirty_byte_counts_as_set_unless_zero();
  bin_holds_normalised_dirty_bytes();
  return check_summary();
}
