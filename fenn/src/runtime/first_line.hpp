// The first line of a small system file (sysfs, cgroup and proc entries).
#pragma once

#include <optional>
#include <string>

namespace fenn::runtime {

// The file's first line without its newline, or nothing when the file cannot
// be opened or is empty.
std::optional<std::string> read_first_line(const std::string& path);

}  // namespace fenn::runtime
