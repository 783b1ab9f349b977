/* A library that announces being loaded: its constructor prints to both
 * output streams and creates the file named by PLIM_TEST_MARKER. A test hands
 * its path to a variable that must not make the library load anything. */
#include <stdio.h>
#include <stdlib.h>

__attribute__((constructor)) static void announce(void) {
  const char* path = getenv("PLIM_TEST_MARKER");
  if (path != NULL) {
    FILE* marker = fopen(path, "w");
    if (marker != NULL) fclose(marker);
  }
  fputs("marker library loaded\n", stdout);
  fputs("marker library loaded\n", stderr);
  fflush(stdout);
}
