#include "libplim/src/process.hpp"

#include <memory>
#include <utility>

using plim::PlimError;

Process::Process(uint64_t pid_) : pid(pid_) {
  metrics.future_count = 1;
  metrics.block_count = 1;
  blocks.emplace_back();
  // Future 0 is the constant 0; no handle is ever made for it.
  futures.push_back(std::make_shared<std::optional<int64_t>>(0));
}

std::vector<const plim::CodeBlock*> Process::get_quantum_code() const {
  std::vector<const plim::CodeBlock*> code;
  code.reserve(blocks.size());
  for (const plim::CodeBlockHandler& handler : blocks) code.push_back(&handler.block());
  return code;
}

PlimError Process::set_result(plim::ResultData result) {
  if (result.future.size() != futures.size() || result.dump.size() != dumps.size())
    return PlimError::UnexpectedResultData;
  for (std::size_t i = 0; i < futures.size(); ++i) *futures[i] = result.future[i];
  for (std::size_t j = 0; j < dumps.size(); ++j) *dumps[j] = std::move(result.dump[j]);
  exec_time = result.exec_time;
  return PlimError::Success;
}
