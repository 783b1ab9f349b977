// How the fuzz targets report a broken property: a message and an abort, so
// that libFuzzer keeps the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#define FUZZ_CHECK(condition)                                                          \
  do {                                                                                 \
    if (!(condition)) {                                                                \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                    \
    }                                                                                  \
  } while (false)

namespace fuzz {

template <class Codes>
bool one_of(int code, const Codes& codes) {
  for (int c : codes)
    if (c == code) return true;
  return false;
}

inline bool one_of(int code, std::initializer_list<int> codes) {
  return one_of<std::initializer_list<int>>(code, codes);
}

}  // namespace fuzz
