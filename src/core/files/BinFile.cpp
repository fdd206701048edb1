#include "core/files/BinFile.h"

#include <cstdio>
#include <new>
#include <vector>

#include "core/model/CMemoryAccess.h"
#include "core/text/AtomicFile.h"

namespace korvane {

bool ImportBinFile(const std::string& path, CMemoryAccess& source) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  long length = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
  if (length < 0 || length > 0xFFFFFFFFL || std::fseek(f, 0, SEEK_SET) != 0) {
    std::fclose(f);
    return false;
  }
  std::vector<uint8_t> buffer;
  try {
    buffer.resize(static_cast<size_t>(length));
  } catch (const std::bad_alloc&) {
    std::fclose(f);
    return false;
  }
  const size_t got = buffer.empty() ? 0 : std::fread(buffer.data(), 1, buffer.size(), f);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return false;
  buffer.resize(got);
  source.SetBlock(static_cast<uint32_t>(buffer.size()), 0, buffer.data());
  return true;
}

bool ExportBinFile(const std::string& path, std::span<const uint8_t> bytes) {
  return ReplaceFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace korvane
