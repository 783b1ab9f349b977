/*
 * libtz_nivra: a small simulation library for registers of up to 50 qubits.
 *
 * The state is kept sparse: only the basis states that the program reaches
 * are stored, each with its complex amplitude, and an entry whose magnitude
 * falls below 1e-15 after an operation is dropped. The qubit at position p is
 * bit p of a basis state.
 *
 * Contract of every function:
 * - Positions must be below the register's qubit count. A gate, measurement,
 *   dump or swap that names a position outside the register does nothing
 *   (measure_ returns 0, dump returns an empty snapshot).
 * - Calls on one environment must not overlap; different environments may be
 *   used from different threads at the same time.
 * - The library never aborts its host. A call that cannot complete leaves
 *   the state as it was and says so through errno, on the calling thread:
 *   ENOMEM when memory ran out (create_environment and dump then return
 *   NULL, measure_ returns 0), EDOM for a plugin_pown outside its contract.
 *   A call that completes leaves errno as it found it, so a caller that sets
 *   errno to 0 before a call knows afterwards whether it took effect.
 * - Every function accepts a NULL environment or dump and then does nothing
 *   (measure_ returns 0, dump_data reports 0 records).
 */
#ifndef TZ_NIVRA_H
#define TZ_NIVRA_H

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define TZ_NIVRA_API __attribute__((visibility("default")))
#else
#define TZ_NIVRA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A register of qubits and everything the library holds for it. */
typedef struct TzEnvironment TzEnvironment;

/* A snapshot of a register taken by dump. */
typedef struct TzDump TzDump;

/* One basis state of a snapshot: 32 bytes, little-endian. */
typedef struct DumpEntry {
  uint64_t basis_state; /* the dumped positions' bits, first listed most significant */
  uint64_t reserved;    /* always 0 */
  double real;          /* real part of the amplitude */
  double imag;          /* imaginary part of the amplitude */
} DumpEntry;

#ifdef __cplusplus
#define TZ_NIVRA_STATIC_ASSERT static_assert
#else
#define TZ_NIVRA_STATIC_ASSERT _Static_assert
#endif
TZ_NIVRA_STATIC_ASSERT(sizeof(DumpEntry) == 32, "a dump record is 32 bytes");
TZ_NIVRA_STATIC_ASSERT(offsetof(DumpEntry, real) == 16, "the real part is at offset 16");
TZ_NIVRA_STATIC_ASSERT(offsetof(DumpEntry, imag) == 24, "the imaginary part is at offset 24");

/* A fresh register of `qubits` qubits, all 0, addressed by positions 0 to
 * qubits - 1. NULL for more than 50 qubits (errno EINVAL) or when memory runs
 * out (ENOMEM). */
TZ_NIVRA_API TzEnvironment* create_environment(uint32_t qubits);

/* Frees the environment and everything it holds. Each environment once. */
TZ_NIVRA_API void delete_environment(TzEnvironment* environment);

/* Gates on `target`, applied where every one of the `control_count` control
 * positions holds 1 (everywhere when there are none). `controls` is not read
 * when control_count is 0. */
TZ_NIVRA_API void sigma_x(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
                          uint32_t control_count);
TZ_NIVRA_API void sigma_y(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
                          uint32_t control_count);
TZ_NIVRA_API void sigma_z(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
                          uint32_t control_count);
TZ_NIVRA_API void hadamard_(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
                            uint32_t control_count);

/* The same, with an angle in radians: phase multiplies the 1 part by
 * e^(i angle); rx, ry and rz rotate about X, Y and Z with the factors
 * cos(angle / 2) and sin(angle / 2). */
TZ_NIVRA_API void phase(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
                        uint32_t control_count, double angle);
TZ_NIVRA_API void rx(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
                     uint32_t control_count, double angle);
TZ_NIVRA_API void ry(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
                     uint32_t control_count, double angle);
TZ_NIVRA_API void rz(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
                     uint32_t control_count, double angle);

/* Measures one position: returns 0 or 1, drawn with the state's
 * probabilities, and leaves the state collapsed to it and renormalised. */
TZ_NIVRA_API uint8_t measure_(TzEnvironment* environment, uint32_t position);

/* A snapshot of the state over `count` positions: one record per stored
 * basis state, in no particular order, whose basis_state holds the listed
 * positions' bits, the first listed position most significant and the last
 * bit 0 (of more than 64 positions only the last 64 are kept). `positions`
 * is not read when count is 0. Freed with delete_dump. */
TZ_NIVRA_API TzDump* dump(TzEnvironment* environment, const uint32_t* positions, uint32_t count);

/* The snapshot's records: writes their number (at most 2^31 - 1) through
 * `count` and returns the address of the first, valid until delete_dump. */
TZ_NIVRA_API const DumpEntry* dump_data(const TzDump* snapshot, int32_t* count);

/* Frees a snapshot and its records. */
TZ_NIVRA_API void delete_dump(TzDump* snapshot);

/* Exchanges the states of positions a and b. */
TZ_NIVRA_API void swap(TzEnvironment* environment, uint64_t a, uint64_t b);

/* Modular exponentiation on the register of positions 0 to k - 1. With nbits
 * the bit length of modulus, the k low bits of each stored basis state split
 * into x (bits nbits to k - 1) and y (bits 0 to nbits - 1), and the state
 * moves to (x << nbits) | (y * c) with c = base^x mod modulus, computed with
 * wrapping 64-bit products reduced after each step (x = 0 gives 1). Bits at
 * k and above stay. States with an amplitude of exactly 0 are dropped; where
 * two states move to one, the higher of the two source states wins.
 * Outside the contract the environment is left unchanged and errno is set
 * to EDOM: a modulus of 0 with some x >= 1, or an image of 2^k or more or
 * beyond the register. */
TZ_NIVRA_API void plugin_pown(TzEnvironment* environment, uint32_t k, uint64_t base,
                              uint64_t modulus);

#ifdef __cplusplus
}
#endif

#endif
