#include "core/text/XmlLoader.h"

#include <filesystem>

#include "core/text/LogFile.h"

namespace korvane {

bool LoadXmlFile(pugi::xml_document& doc, const std::string& path, LogFile* log) {
  std::error_code ec;
  if (!path.empty() && std::filesystem::is_regular_file(path, ec)) {
    if (doc.load_file(path.c_str(), kXmlParseOptions, pugi::encoding_auto)) return true;
  }
  if (log) log->WriteLogF(LOG_ERROR, "DuiSystem::LoadXmlFile %s failed, not found xml file", path.c_str());
  return false;
}

}  // namespace korvane
