/* The checks of the C tests: a failed check is reported with its place and
 * counted, and the test goes on, so that one run shows every failure. */
#ifndef PLIM_TESTS_C_CHECK_H
#define PLIM_TESTS_C_CHECK_H

#include <stdio.h>

static int failures = 0;

#define CHECK(condition)                                                      \
  do {                                                                        \
    if (!(condition)) {                                                       \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                             \
    }                                                                         \
  } while (0)

/* The exit status of the test: 0 when every check held. */
static inline int check_summary(void) {
  if (failures != 0) fprintf(stderr, "%d check(s) failed\n", failures);
  return failures == 0 ? 0 : 1;
}

#endif
