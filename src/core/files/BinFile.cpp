#include "core/files/BinFile.h"

#include <cstdio>
#include <new>
#include <vector>

#include "core/model/CMemoryAccess.h"

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

bool ExportBinFile(const std::string& path, CMemoryAccess& source) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  int32_t first = 0, last = -1;
  bool ok = true;
  if (source.GetRange(&first, &last) && last >= first) {
    const uint32_t n = static_cast<uint32_t>(last - first + 1);
    std::vector<uint8_t> buffer(n);
    const uint32_t got = source.Read(0, 0, buffer.data(), n);
    ok = std::fwrite(buffer.data(), 1, got, f) == got;
  }
  if (std::fclose(f) != 0) ok = false;
  return ok;
}

}  // namespace korvane
