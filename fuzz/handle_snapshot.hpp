// Everything a host can read through future and dump handles and
// plim_process_exec_time, copied, so that a refused call can be shown to have
// changed none of it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "fuzz/check.hpp"
#include "fuzz/same_value.hpp"
#include "libplim/src/error.hpp"
#include "libplim/src/model.hpp"
#include "plim.h"

namespace fuzz {

inline constexpr int kNotAvailable = static_cast<int>(plim::PlimError::DataNotAvailable);

struct ReadValues {
  std::vector<std::optional<int64_t>> futures;
  std::vector<std::optional<plim::DumpData>> dumps;
  std::optional<double> exec_time;
};

template <class T>
std::vector<T> copied(const T* data, std::size_t size) {
  FUZZ_CHECK(data != nullptr);
  return std::vector<T>(data, data + size);
}

// Reads one dump through every reader and checks that exactly the readers of
// its variant answer.
inline std::optional<plim::DumpData> read_dump(::Dump* dump) {
  bool available = false;
  FUZZ_CHECK(plim_dump_available(dump, &available) == 0);
  int type = -7;
  const int type_answer = plim_dump_type(dump, &type);
  FUZZ_CHECK(type_answer == (available ? 0 : kNotAvailable));
  if (!available) {
    FUZZ_CHECK(type == -7);
    return std::nullopt;
  }
  FUZZ_CHECK(type >= 0 && type <= 2);
  std::size_t states = 0;
  FUZZ_CHECK(plim_dump_states_size(dump, &states) == 0);
  plim::BasisStates basis_states;
  for (std::size_t i = 0; i < states; ++i) {
    const uint64_t* words = nullptr;
    std::size_t size = 0;
    FUZZ_CHECK(plim_dump_state(dump, i, &words, &size) == 0);
    basis_states.push_back(copied(words, size));
  }
  const double* real = nullptr;
  const double* imag = nullptr;
  const double* probabilities = nullptr;
  const uint32_t* count = nullptr;
  uint64_t total = 0;
  std::size_t real_size = 0, imag_size = 0, probabilities_size = 0, count_size = 0;
  const int real_answer = plim_dump_amplitudes_real(dump, &real, &real_size);
  const int imag_answer = plim_dump_amplitudes_imag(dump, &imag, &imag_size);
  const int probabilities_answer = plim_dump_probabilities(dump, &probabilities, &probabilities_size);
  const int count_answer = plim_dump_count(dump, &count, &count_size);
  const int total_answer = plim_dump_total(dump, &total);
  const auto answers = [&](int variant) { return type == variant ? 0 : kNotAvailable; };
  FUZZ_CHECK(real_answer == answers(PLIM_DUMP_VECTOR) && imag_answer == answers(PLIM_DUMP_VECTOR));
  FUZZ_CHECK(probabilities_answer == answers(PLIM_DUMP_PROBABILITY));
  FUZZ_CHECK(count_answer == answers(PLIM_DUMP_SHOTS) && total_answer == answers(PLIM_DUMP_SHOTS));
  switch (type) {
    case PLIM_DUMP_VECTOR:
      FUZZ_CHECK(probabilities == nullptr && count == nullptr);
      return plim::Vector{basis_states, copied(real, real_size), copied(imag, imag_size)};
    case PLIM_DUMP_PROBABILITY:
      FUZZ_CHECK(real == nullptr && imag == nullptr && count == nullptr && total == 0);
      return plim::Probability{basis_states, copied(probabilities, probabilities_size)};
    default:
      FUZZ_CHECK(real == nullptr && imag == nullptr && probabilities == nullptr);
      return plim::Shots{basis_states, copied(count, count_size), total};
  }
}

inline std::optional<int64_t> read_future(::Future* future) {
  bool available = false;
  FUZZ_CHECK(plim_future_available(future, &available) == 0);
  int64_t value = -77;
  const int answer = plim_future_value(future, &value);
  FUZZ_CHECK(answer == (available ? 0 : kNotAvailable));
  if (!available) {
    FUZZ_CHECK(value == -77);
    return std::nullopt;
  }
  return value;
}

inline std::optional<double> read_exec_time(::Process* process) {
  double seconds = -77.0;
  const int answer = plim_process_exec_time(process, &seconds);
  FUZZ_CHECK(answer == 0 || answer == kNotAvailable);
  if (answer != 0) {
    FUZZ_CHECK(seconds == -77.0);
    return std::nullopt;
  }
  return seconds;
}

inline ReadValues read_values(::Process* process, const std::vector<::Future*>& futures,
                              const std::vector<::Dump*>& dumps) {
  ReadValues values;
  for (::Future* future : futures) values.futures.push_back(read_future(future));
  for (::Dump* dump : dumps) values.dumps.push_back(read_dump(dump));
  values.exec_time = read_exec_time(process);
  return values;
}

inline bool same(const std::optional<plim::DumpData>& a, const std::optional<plim::DumpData>& b) {
  if (a.has_value() != b.has_value()) return false;
  return !a || fuzz::same(*a, *b);
}

inline bool same(const ReadValues& a, const ReadValues& b) {
  if (a.futures != b.futures || a.dumps.size() != b.dumps.size()) return false;
  if (a.exec_time.has_value() != b.exec_time.has_value()) return false;
  if (a.exec_time && !fuzz::same(*a.exec_time, *b.exec_time)) return false;
  for (std::size_t i = 0; i < a.dumps.size(); ++i)
    if (!same(a.dumps[i], b.dumps[i])) return false;
  return true;
}

}  // namespace fuzz
