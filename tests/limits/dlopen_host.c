/*
 * A C host that loads the library at run time, as a host without C++ of its
 * own does: the C++ runtime then comes with the library, and glibc allocates
 * its thread-local storage on each thread's first use instead of at thread
 * start. Each child caps its address space, then runs 21 Hadamard gates and
 * a measurement on the external back end from a fresh thread; the run must
 * end with a code (0, or 8 when the memory ran out), never abort the host.
 *
 * Usage: limits_dlopen_host PATH_TO_LIBPLIM
 */
#include <dlfcn.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fenn.h"
#include "plim.h"
#include "tessor_nivra.h"

#define QUBITS 21

static __typeof__(&plim_process_new) process_new;
static __typeof__(&plim_process_allocate_qubit) allocate_qubit;
static __typeof__(&plim_process_apply_gate) apply_gate;
static __typeof__(&plim_process_measure) measure;
static __typeof__(&plim_process_prepare_for_execution) prepare;
static __typeof__(&tessor_nivra_run_and_set_result) run_external;

/* A function of the library into `pointer` (copied: C converts no object
 * pointer to a function pointer). */
#define LOAD(library, pointer, name)                \
  do {                                              \
    void* found = dlsym(library, name);             \
    if (found == NULL) _exit(101);                  \
    memcpy(&(pointer), &found, sizeof(pointer));    \
  } while (0)

static void cap_address_space(size_t extra) {
  size_t kib = 0;
  char line[256];
  FILE* status = fopen("/proc/self/status", "r");
  if (status == NULL) _exit(102);
  while (fgets(line, sizeof line, status))
    if (strncmp(line, "VmSize:", 7) == 0) kib = strtoull(line + 7, NULL, 10);
  fclose(status);
  const struct rlimit limit = {kib * 1024 + extra, kib * 1024 + extra};
  if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(103);
}

static void* run(void* unused) {
  (void)unused;
  Process* process = NULL;
  Qubit* qubits[QUBITS];
  Future* future = NULL;
  process_new(1, &process);
  for (int i = 0; i < QUBITS; ++i) allocate_qubit(process, false, &qubits[i]);
  for (int i = 0; i < QUBITS; ++i) apply_gate(process, PLIM_GATE_HADAMARD, 0.0, qubits[i]);
  measure(process, qubits, 1, &future);
  prepare(process);
  return (void*)(long)run_external(process);
}

/* The child's exit status: the run's code. */
static int child(const char* path, size_t extra) {
  void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (library == NULL) return 104;
  LOAD(library, process_new, "plim_process_new");
  LOAD(library, allocate_qubit, "plim_process_allocate_qubit");
  LOAD(library, apply_gate, "plim_process_apply_gate");
  LOAD(library, measure, "plim_process_measure");
  LOAD(library, prepare, "plim_process_prepare_for_execution");
  LOAD(library, run_external, "tessor_nivra_run_and_set_result");
  cap_address_space(extra);
  pthread_t thread;
  void* code = NULL;
  if (pthread_create(&thread, NULL, run, NULL) != 0) return 105;
  pthread_join(thread, &code);
  return (int)(long)code;
}

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  static const size_t caps_mib[] = {160, 200, 256, 512};
  int exhausted = 0;
  int failed = 0;
  for (size_t i = 0; i < sizeof caps_mib / sizeof caps_mib[0]; ++i) {
    fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) return 3;
    if (pid == 0) _exit(child(argv[1], caps_mib[i] << 20));
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return 4;
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    printf("cap +%zu MiB: %d\n", caps_mib[i], code);
    if (code == FENN_UNDEFINED_ERROR) ++exhausted;
    else if (code != 0) ++failed;
  }
  if (failed != 0) {
    printf("%d runs ended otherwise than with 0 or 8\n", failed);
    return 1;
  }
  if (exhausted == 0) {
    printf("no cap was tight enough to exhaust the memory\n");
    return 1;
  }
  return 0;
}
