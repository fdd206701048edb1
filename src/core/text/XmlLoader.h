#pragma once
// Loading XML files the way every description, project and catalogue is read.
#include <string>

#include <pugixml.hpp>

namespace korvane {

class LogFile;

// pugixml's defaults, except that tabs and line breaks inside attribute
// values are kept as they are (line breaks still become a single LF).
constexpr unsigned kXmlParseOptions = pugi::parse_default & ~pugi::parse_wconv_attribute;

// Reads and parses the file at a full path into doc. On failure writes an
// ERROR line to log (when given) and returns false.
bool LoadXmlFile(pugi::xml_document& doc, const std::string& path, LogFile* log);

}  // namespace korvane
