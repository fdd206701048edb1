#include "core/files/AreaChoice.h"

#include <filesystem>

namespace korvane {

AreaChoiceProblem CheckAreaChoice(bool conf, bool code, const std::string* codePath) {
  if (!conf && !code) return AreaChoiceProblem::NoArea;
  if (code && codePath && !CodeFileExists(*codePath)) return AreaChoiceProblem::NoCodeFile;
  return AreaChoiceProblem::None;
}

bool CodeFileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

}  // namespace korvane
