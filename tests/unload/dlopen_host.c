/* A host that loads the shared library by path at run time, the way a
 * language binding does, runs a 20-qubit dense program through it and checks
 * the outcome. Options, applied in this order:
 *   --one-cpu          pin itself to a single processor first, so that the
 *                      pool's workers are still running when the pass that
 *                      woke them has returned;
 *   --process-limit N  set RLIMIT_NPROC to N and, when running as root (whom
 *                      the limit does not bind), become user and group 65534;
 *   --address-space M  once the library is loaded, cap the address space at
 *                      what is mapped then plus M MiB;
 *   --cycles N         load, run and unload N times in a row instead of
 *                      loading and running once.
 *
 * Exit status: 0 when every run gave the expected outcome; 100 + code when a
 * run returned a nonzero code; 2 for a library that does not load; 3 for a
 * wrong outcome; 4 for bad arguments; 5 when a limit could not be set. It
 * writes nothing unless something failed. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <grp.h>
#include <sched.h>
#include <stdint.h>
#include <sys/resource.h>
#include <unistd.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "fenn.h"
#include "plim.h"

enum { kQubits = 20, kPattern = 0x5a3c7 };

struct Library {
  void* handle;
  __typeof__(plim_process_new)* process_new;
  __typeof__(plim_process_delete)* process_delete;
  __typeof__(plim_process_allocate_qubit)* allocate_qubit;
  __typeof__(plim_process_apply_gate)* apply_gate;
  __typeof__(plim_process_measure)* measure;
  __typeof__(plim_process_prepare_for_execution)* prepare;
  __typeof__(plim_qubit_delete)* qubit_delete;
  __typeof__(plim_future_value)* future_value;
  __typeof__(plim_future_delete)* future_delete;
  __typeof__(fenn_run_and_set_result)* run_and_set_result;
};

static int load(const char* path, struct Library* lib) {
  lib->handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (lib->handle == NULL) {
    fprintf(stderr, "dlopen: %s\n", dlerror());
    return 0;
  }
#define BIND(field, name)                                       \
  if ((*(void**)&lib->field = dlsym(lib->handle, #name)) == NULL) { \
    fprintf(stderr, "dlsym: %s\n", #name);                      \
    return 0;                                                   \
  }
  BIND(process_new, plim_process_new)
  BIND(process_delete, plim_process_delete)
  BIND(allocate_qubit, plim_process_allocate_qubit)
  BIND(apply_gate, plim_process_apply_gate)
  BIND(measure, plim_process_measure)
  BIND(prepare, plim_process_prepare_for_execution)
  BIND(qubit_delete, plim_qubit_delete)
  BIND(future_value, plim_future_value)
  BIND(future_delete, plim_future_delete)
  BIND(run_and_set_result, fenn_run_and_set_result)
#undef BIND
  return 1;
}

/* Hadamard twice on every qubit (back to |0...0>, every pass on the pool),
 * then X on the bits of kPattern, then one measurement of all qubits, most
 * significant first: the outcome is kPattern. Returns the exit status. */
static int run(const struct Library* lib) {
  Process* process = NULL;
  Qubit* qubits[kQubits];
  Future* future = NULL;
  int64_t value = -1;
  if (lib->process_new(7, &process) != 0) return 3;
  for (int i = 0; i < kQubits; ++i) lib->allocate_qubit(process, false, &qubits[i]);
  for (int round = 0; round < 2; ++round)
    for (int i = 0; i < kQubits; ++i) lib->apply_gate(process, PLIM_GATE_HADAMARD, 0.0, qubits[i]);
  for (int i = 0; i < kQubits; ++i)
    if ((kPattern >> i) & 1) lib->apply_gate(process, PLIM_GATE_PAULI_X, 0.0, qubits[i]);
  Qubit* most_significant_first[kQubits];
  for (int i = 0; i < kQubits; ++i) most_significant_first[i] = qubits[kQubits - 1 - i];
  lib->measure(process, most_significant_first, kQubits, &future);
  lib->prepare(process);
  const int code = lib->run_and_set_result(process, FENN_SIM_DENSE);
  if (code == 0) lib->future_value(future, &value);
  for (int i = 0; i < kQubits; ++i) lib->qubit_delete(qubits[i]);
  lib->future_delete(future);
  lib->process_delete(process);
  if (code != 0) return 100 + code;
  if (value != kPattern) {
    fprintf(stderr, "measured %lld, expected %d\n", (long long)value, kPattern);
    return 3;
  }
  return 0;
}

static void pin_to_one_cpu(void) {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) != 0) return;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &set)) {
      CPU_ZERO(&set);
      CPU_SET(cpu, &set);
      sched_setaffinity(0, sizeof set, &set);
      return;
    }
  }
}

static int limit_processes(long count) {
  const struct rlimit limit = {(rlim_t)count, (rlim_t)count};
  if (setrlimit(RLIMIT_NPROC, &limit) != 0) return 0;
  if (getuid() == 0 && (setgroups(0, NULL) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
    return 0;
  return 1;
}

static int cap_address_space(long extra_mib) {
  unsigned long long mapped_kib = 0;
  FILE* status = fopen("/proc/self/status", "r");
  if (status == NULL) return 0;
  char line[256];
  while (fgets(line, sizeof line, status))
    if (strncmp(line, "VmSize:", 7) == 0) mapped_kib = strtoull(line + 7, NULL, 10);
  fclose(status);
  const rlim_t bytes = (rlim_t)mapped_kib * 1024 + (rlim_t)extra_mib * 1024 * 1024;
  const struct rlimit limit = {bytes, bytes};
  return mapped_kib != 0 && setrlimit(RLIMIT_AS, &limit) == 0;
}

int main(int argc, char** argv) {
  if (argc < 2) return 4;
  int one_cpu = 0, cycles = 0;
  long process_limit = 0, address_space_mib = 0;
  for (int i = 2; i < argc; ++i) {
    if (strcmp(argv[i], "--one-cpu") == 0) {
      one_cpu = 1;
    } else if (strcmp(argv[i], "--cycles") == 0 && i + 1 < argc) {
      cycles = atoi(argv[++i]);
    } else if (strcmp(argv[i], "--process-limit") == 0 && i + 1 < argc) {
      process_limit = atol(argv[++i]);
    } else if (strcmp(argv[i], "--address-space") == 0 && i + 1 < argc) {
      address_space_mib = atol(argv[++i]);
    } else {
      return 4;
    }
  }
  if (one_cpu) pin_to_one_cpu();
  if (process_limit > 0 && !limit_processes(process_limit)) return 5;
  struct Library lib;
  if (cycles == 0) {  /* load and run once; the library stays until exit */
    if (!load(argv[1], &lib)) return 2;
    if (address_space_mib > 0 && !cap_address_space(address_space_mib)) return 5;
    return run(&lib);
  }
  for (int cycle = 0; cycle < cycles; ++cycle) {
    if (!load(argv[1], &lib)) return 2;
    const int status = run(&lib);
    if (status != 0) return status;
    if (dlclose(lib.handle) != 0) {
      fprintf(stderr, "dlclose: %s\n", dlerror());
      return 2;
    }
  }
  return 0;
}
