#include "base/Engines.h"

#include <memory>
#include <mutex>

namespace orvane {

namespace {

std::mutex namesLock;
std::shared_ptr<const std::vector<std::string>> addedNames = std::make_shared<std::vector<std::string>>();

std::shared_ptr<const std::vector<std::string>> AddedNames() {
  std::lock_guard guard(namesLock);
  return addedNames;
}

}  // namespace

std::string EngineName(int index) {
  switch (index) {
    case kGoogle: return "Google";
    case kMSN: return "MSN";
    case kYahoo: return "Yahoo";
    default: break;
  }
  const auto added = AddedNames();
  if (index < kBuiltInEngines || index - kBuiltInEngines >= static_cast<int>(added->size())) return "";
  return (*added)[static_cast<size_t>(index - kBuiltInEngines)];
}

void SetEngineNames(std::vector<std::string> added) {
  auto names = std::make_shared<const std::vector<std::string>>(std::move(added));
  std::lock_guard guard(namesLock);
  addedNames = std::move(names);
}

int EngineIndex(const std::string& name) {
  for (int index = 0; index < kBuiltInEngines; ++index)
    if (EngineName(index) == name) return index;
  const auto added = AddedNames();
  for (size_t i = 0; i < added->size(); ++i)
    if ((*added)[i] == name) return kBuiltInEngines + static_cast<int>(i);
  return -1;
}

}  // namespace orvane
