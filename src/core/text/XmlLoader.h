#pragma once
// Loading XML files the way every description, project and catalogue is read.
#include <cstdint>
#include <string>

#include <pugixml.hpp>

namespace korvane {

class LogFile;

// pugixml's defaults, except that tabs and line breaks inside attribute
// values are kept as they are (line breaks still become a single LF).
constexpr unsigned kXmlParseOptions = pugi::parse_default & ~pugi::parse_wconv_attribute;

// The largest file read: a description or project with tens of thousands of
// items stays far below it, and its document fits in a few hundred MiB.
constexpr uint64_t kMaxXmlFileSize = 32u << 20;
// The deepest element nesting kept. The item tree is walked recursively
// everywhere (building, encoding, refreshing, showing), so its depth must be
// bounded; real descriptions nest a handful of levels.
constexpr int kMaxXmlDepth = 256;

enum class XmlLoadProblem { None, Unreadable, TooLarge, TooDeep };

// Reads and parses the file at a full path into doc. On failure doc is empty,
// an ERROR line goes to log (when given), problem (when given) says why, and
// the result is false. A file beyond the size limit is refused unread.
bool LoadXmlFile(pugi::xml_document& doc, const std::string& path, LogFile* log,
                 XmlLoadProblem* problem = nullptr);

// The deepest element nesting below node (node's children are at depth 1),
// counted without recursion; stops counting once beyond limit.
int ElementDepth(const pugi::xml_node& node, int limit);

}  // namespace korvane
