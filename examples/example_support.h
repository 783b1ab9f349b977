/* What both examples share: calls that stop at the first refusal with the
 * library's own message (each macro returns 1 from the calling function),
 * and the run of a prepared process in place on one of the back ends. */
#ifndef PLIM_EXAMPLE_SUPPORT_H
#define PLIM_EXAMPLE_SUPPORT_H

#include <stdio.h>

#include "fenn.h"
#include "plim.h"
#include "tessor_nivra.h"

/* Returns 1 when the call answers another code than success, after printing
 * the code's message from its family's message function. */
#define CHECKED_CALL(call, success, message_of)                                   \
  do {                                                                            \
    int code_ = (call);                                                           \
    if (code_ != (success)) {                                                     \
      size_t size_ = 0;                                                           \
      const char* text_ = message_of(code_, &size_);                              \
      fprintf(stderr, "%s failed: %.*s (%d)\n", #call, (int)size_, text_, code_); \
      return 1;                                                                   \
    }                                                                             \
  } while (0)

/* A builder call, whose codes are PlimError codes. */
#define TRY(call) CHECKED_CALL(call, PLIM_SUCCESS, plim_error_message)
/* A call of an executor, whose codes are FennError codes. */
#define RUN(call) CHECKED_CALL(call, FENN_SUCCESS, fenn_error_message)

enum Backend { DENSE, SPARSE, EXTERNAL };
static const char* const kBackendNames[] = {"dense", "sparse", "external"};

static inline int run_in_place(Process* process, enum Backend backend) {
  if (backend == EXTERNAL)
    RUN(tessor_nivra_run_and_set_result(process));
  else
    RUN(fenn_run_and_set_result(process, backend == DENSE ? FENN_SIM_DENSE : FENN_SIM_SPARSE));
  return 0;
}

#endif
