#include <stdio.h>

#include "plim.h"

int main(void) {
  size_t size = 0;
  const char* text = plim_error_message(0, &size);
  printf("%.*s\n", (int)size, text);
  return 0;
}
