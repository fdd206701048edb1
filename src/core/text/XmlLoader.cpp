#include "core/text/XmlLoader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/text/LogFile.h"

namespace korvane {
namespace {

// The whole file in a buffer that pugixml takes over, or the reason why not.
XmlLoadProblem ReadBounded(const std::string& path, void*& buffer, size_t& size) {
  const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return XmlLoadProblem::Unreadable;
  struct stat st {};
  XmlLoadProblem problem = XmlLoadProblem::None;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) problem = XmlLoadProblem::Unreadable;
  else if (static_cast<uint64_t>(st.st_size) > kMaxXmlFileSize) problem = XmlLoadProblem::TooLarge;
  if (problem != XmlLoadProblem::None) {
    ::close(fd);
    return problem;
  }
  // One byte more than the limit tells a file that grew past it while read.
  const size_t room = static_cast<size_t>(kMaxXmlFileSize) + 1;
  size_t capacity = static_cast<size_t>(st.st_size) + 1;
  buffer = pugi::get_memory_allocation_function()(capacity);
  size = 0;
  while (buffer) {
    if (size == capacity) {
      if (capacity >= room) break;
      const size_t grown = capacity * 2 < room ? capacity * 2 : room;
      void* bigger = pugi::get_memory_allocation_function()(grown);
      if (bigger) std::memcpy(bigger, buffer, size);
      pugi::get_memory_deallocation_function()(buffer);
      buffer = bigger;
      capacity = grown;
      continue;
    }
    const ssize_t n = ::read(fd, static_cast<char*>(buffer) + size, capacity - size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) problem = XmlLoadProblem::Unreadable;
    if (n <= 0) break;
    size += static_cast<size_t>(n);
  }
  ::close(fd);
  if (!buffer) return XmlLoadProblem::Unreadable;
  if (problem == XmlLoadProblem::None && size > kMaxXmlFileSize) problem = XmlLoadProblem::TooLarge;
  if (problem != XmlLoadProblem::None) {
    pugi::get_memory_deallocation_function()(buffer);
    buffer = nullptr;
  }
  return problem;
}

}  // namespace

int ElementDepth(const pugi::xml_node& top, int limit) {
  int depth = 0, deepest = 0;
  pugi::xml_node node = top.first_child();
  while (node && node != top) {
    if (node.type() == pugi::node_element && depth + 1 > deepest) {
      deepest = depth + 1;
      if (deepest > limit) return deepest;
    }
    if (node.first_child()) {
      node = node.first_child();
      ++depth;
      continue;
    }
    while (node && node != top && !node.next_sibling()) {
      node = node.parent();
      --depth;
    }
    if (node && node != top) node = node.next_sibling();
  }
  return deepest;
}

bool LoadXmlFile(pugi::xml_document& doc, const std::string& path, LogFile* log, XmlLoadProblem* problemOut) {
  doc.reset();
  void* buffer = nullptr;
  size_t size = 0;
  XmlLoadProblem problem = ReadBounded(path, buffer, size);
  if (problem == XmlLoadProblem::None &&
      !doc.load_buffer_inplace_own(buffer, size, kXmlParseOptions, pugi::encoding_auto))
    problem = XmlLoadProblem::Unreadable;
  if (problem == XmlLoadProblem::None && ElementDepth(doc, kMaxXmlDepth) > kMaxXmlDepth)
    problem = XmlLoadProblem::TooDeep;
  if (problemOut) *problemOut = problem;
  if (problem == XmlLoadProblem::None) return true;
  doc.reset();
  if (log) {
    const char* why = problem == XmlLoadProblem::TooLarge ? "larger than the limit"
                      : problem == XmlLoadProblem::TooDeep ? "nested too deeply"
                                                            : "not found xml file";
    log->WriteLogF(LOG_ERROR, "DuiSystem::LoadXmlFile %s failed, %s", path.c_str(), why);
  }
  return false;
}

}  // namespace korvane
