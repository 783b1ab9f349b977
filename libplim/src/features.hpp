// The switches of a process's rules and the plug-in names it accepts. The
// host's record and each process's own copy are the same type.
#pragma once

#include <string>
#include <unordered_set>

struct Features {
  std::unordered_set<std::string> registered_plugins;
  bool allow_dirty_qubits = true;
  bool allow_free = true;
  bool valid_after_measure = true;
  bool allow_control_flow = true;
  bool allow_dump = true;
  bool allow_measure = true;
  bool continue_after_dump = true;
};
