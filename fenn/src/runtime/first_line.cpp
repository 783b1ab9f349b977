#include "fenn/src/runtime/first_line.hpp"

#include <fstream>

namespace fenn::runtime {

std::optional<std::string> read_first_line(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line)) return std::nullopt;
  return line;
}

}  // namespace fenn::runtime
