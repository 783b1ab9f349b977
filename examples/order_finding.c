/* Finds the order of 7 modulo 15, the smallest r > 0 with 7^r mod 15 = 1, the
 * quantum way: an exponent register in uniform superposition, the pown
 * plug-in writing 7^x mod 15 into a work register, an inverse quantum Fourier
 * transform of the exponent register and its measurement. The measured value
 * m over 2^t is close to s/r for some s, and the continued-fraction expansion
 * of m / 2^t gives r back on the host. Each back end runs the same prepared
 * program shot after shot until a shot gives the order. */
#include <inttypes.h>
#include <stdbool.h>
#include <stdint.h>
#include <stdio.h>

#include "fenn.h"
#include "plim.h"
#include "tessor_nivra.h"

#include "example_support.h"

enum {
  BASE = 7,
  MODULUS = 15,
  /* As wide as the modulus, and an exponent register twice that: enough
   * precision for the continued fraction. */
  WORK_QUBITS = 4,
  EXPONENT_QUBITS = 2 * WORK_QUBITS,
  QUBITS = EXPONENT_QUBITS + WORK_QUBITS,
  /* A shot tells nothing with probability 1/4 (it measures 0), so the chance
   * that every shot fails is 4^-32. */
  MAX_SHOTS = 32
};

static const double kPi = 3.14159265358979323846;

struct Program {
  Process* process;
  Qubit* qubits[QUBITS]; /* the exponent register, then the work register */
  Future* measured;
};

/* |a>|b> -> |b>|a> from three controlled X gates. */
static int swap_qubits(Process* process, Qubit* a, Qubit* b) {
  Qubit* const controls[3] = {a, b, a};
  Qubit* const targets[3] = {b, a, b};
  for (int i = 0; i < 3; ++i) {
    Qubit* control = controls[i];
    TRY(plim_process_ctrl_push(process, &control, 1));
    TRY(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, targets[i]));
    TRY(plim_process_ctrl_pop(process));
  }
  return 0;
}

/* The quantum Fourier transform of a register listed most significant qubit
 * first: a Hadamard on each qubit followed by phases controlled by the less
 * significant ones, then the qubit order reversed. */
static int fourier_transform(Process* process, Qubit** reg, int size) {
  for (int j = 0; j < size; ++j) {
    TRY(plim_process_apply_gate(process, PLIM_GATE_HADAMARD, 0.0, reg[j]));
    for (int m = j + 1; m < size; ++m) {
      TRY(plim_process_ctrl_push(process, &reg[m], 1));
      TRY(plim_process_apply_gate(process, PLIM_GATE_PHASE, kPi / (double)(1u << (m - j)), reg[j]));
      TRY(plim_process_ctrl_pop(process));
    }
  }
  for (int j = 0; j < size / 2; ++j)
    if (swap_qubits(process, reg[j], reg[size - 1 - j]) != 0) return 1;
  return 0;
}

static int build(struct Program* program) {
  TRY(plim_process_new(1, &program->process));
  Process* process = program->process;
  Features* features = NULL;
  TRY(plim_features_all(&features));
  TRY(plim_features_register_plugin(features, "pown"));
  TRY(plim_process_set_features(process, features));
  TRY(plim_features_delete(features));

  for (int i = 0; i < QUBITS; ++i)
    TRY(plim_process_allocate_qubit(process, false, &program->qubits[i]));
  Qubit** exponent = program->qubits;
  Qubit** work = program->qubits + EXPONENT_QUBITS;

  /* Every exponent x at once, and the work register at 1. */
  for (int i = 0; i < EXPONENT_QUBITS; ++i)
    TRY(plim_process_apply_gate(process, PLIM_GATE_HADAMARD, 0.0, exponent[i]));
  TRY(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, work[WORK_QUBITS - 1]));

  /* pown works on the register of its targets: the exponent x above a work
   * register as wide as the modulus, which it multiplies by BASE^x mod
   * MODULUS. The qubits of a run hold positions from the highest down in the
   * order of their allocation, so these, the program's only qubits, listed in
   * that order, give the register most significant qubit first. */
  char args[32];
  snprintf(args, sizeof args, "%d %d", BASE, MODULUS);
  TRY(plim_process_apply_plugin(process, "pown", args, program->qubits, QUBITS));

  /* The inverse transform is the transform built inside an inverse scope. */
  TRY(plim_process_adj_begin(process));
  if (fourier_transform(process, exponent, EXPONENT_QUBITS) != 0) return 1;
  TRY(plim_process_adj_end(process));

  TRY(plim_process_measure(process, exponent, EXPONENT_QUBITS, &program->measured));
  TRY(plim_process_prepare_for_execution(process));
  return 0;
}

static uint64_t power_mod(uint64_t base, uint64_t exponent, uint64_t modulus) {
  uint64_t result = 1 % modulus;
  for (uint64_t i = 0; i < exponent; ++i) result = result * base % modulus;
  return result;
}

/* The order that a measured value m of the exponent register points to, or 0.
 * The last convergent p/q of m / 2^t whose denominator is below the modulus
 * has q = r / gcd(s, r), so the order is the first multiple of q that BASE
 * raised to gives 1. */
static uint64_t order_from(uint64_t measured) {
  if (measured == 0) return 0; /* s = 0: no information */
  uint64_t numerator = measured, denominator = (uint64_t)1 << EXPONENT_QUBITS;
  uint64_t q_before = 1, q = 0; /* denominators of the last two convergents */
  while (denominator != 0) {
    const uint64_t a = numerator / denominator;
    const uint64_t q_next = a * q + q_before;
    if (q_next >= MODULUS) break;
    q_before = q;
    q = q_next;
    const uint64_t rest = numerator % denominator;
    numerator = denominator;
    denominator = rest;
  }
  if (q <= 1) return 0;
  for (uint64_t r = q; r < MODULUS; r += q)
    if (power_mod(BASE, r, MODULUS) == 1) return r;
  return 0;
}

/* Runs shots until one gives the order; prints it. */
static int find_order(struct Program* program, enum Backend backend) {
  for (int shot = 1; shot <= MAX_SHOTS; ++shot) {
    if (run_in_place(program->process, backend) != 0) return 1;
    int64_t measured = 0;
    TRY(plim_future_value(program->measured, &measured));
    const uint64_t order = order_from((uint64_t)measured);
    if (order != 0) {
      printf("%-8s order of %d modulo %d: %" PRIu64 " (shot %d measured %" PRId64 " of %d)\n",
             kBackendNames[backend], BASE, MODULUS, order, shot, measured,
             1 << EXPONENT_QUBITS);
      return 0;
    }
  }
  fprintf(stderr, "%s: no shot of %d gave the order\n", kBackendNames[backend], MAX_SHOTS);
  return 1;
}

int main(void) {
  struct Program program = {NULL, {NULL}, NULL};
  if (build(&program) != 0) return 1;

  const enum Backend backends[] = {DENSE, SPARSE, EXTERNAL};
  for (int b = 0; b < 3; ++b)
    if (find_order(&program, backends[b]) != 0) return 1;

  TRY(plim_future_delete(program.measured));
  for (int i = 0; i < QUBITS; ++i) TRY(plim_qubit_delete(program.qubits[i]));
  TRY(plim_process_delete(program.process));
  return 0;
}
