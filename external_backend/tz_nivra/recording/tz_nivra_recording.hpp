// Test-only controls of the recording variant of libtz_nivra: it simulates
// nothing, logs every call with its arguments as one line of text, and
// answers measure_ and dump_data from scripts.
//
// Lines: "create_environment(50) -> env1", "sigma_x(env1, 3, [4, 1])",
// "rx(env1, 3, [], 0.5)", "measure_(env1, 2)", "dump(env1, [2, 0]) -> dump1",
// "dump_data(dump1, count=0)" (the count as found on entry),
// "delete_dump(dump1)", "swap(env1, 2, 0)", "plugin_pown(env1, 3, 7, 15)",
// "delete_environment(env1)". A position list is written "null" or
// "misaligned" instead when its address is null or not 4-byte aligned.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "external_backend/tz_nivra/tz_nivra.h"

namespace tz_nivra_recording {

// Every call since the last reset, in call order.
const std::vector<std::string>& calls();

// Forgets the calls so far; handles and scripts stay.
void clear_calls();

// Forgets the calls, the scripts and every handle; numbering restarts at 1.
void reset();

// The outcomes of the next measure_ calls, in order; 0 once they run out.
void script_measurements(std::vector<uint8_t> outcomes);

// What the dump_data of the next dump delivers: the records and the count it
// reports (which may differ from the number of records).
void script_dump(std::vector<DumpEntry> records, int32_t count);

// The next create_environment returns NULL.
void script_create_failure();

// The next call of `function` (its C name, e.g. "hadamard_") fails the way
// the real library reports it: it sets errno to `error` on return, and
// create_environment and dump return NULL. Every other call leaves errno as
// it found it.
void script_failure(std::string function, int error);

}  // namespace tz_nivra_recording
