#include "core/files/CodeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>

#include "core/files/Hex2BinConverter.h"
#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "core/text/TextFormat.h"

namespace korvane {
namespace fs = std::filesystem;

std::string CodeFileBeside(const std::string& projectPath) {
  fs::path p(projectPath);
  p.replace_extension(".hex");
  return p.string();
}

std::string GetCodeFilePath(const ChipDescription& desc) {
  if (!desc.HasTree()) return {};
  // A description made by New has no path yet; its code file is the installed one.
  if (!desc.path.empty()) {
    const std::string own = CodeFileBeside(desc.path);
    std::error_code ec;
    if (fs::exists(own, ec)) return own;
  }
  return desc.Context().ChipsDir() + desc.chipName + ".hex";
}

bool CopyCodeFileBeside(const ChipDescription& desc, const std::string& projectPath) {
  const std::string current = GetCodeFilePath(desc);
  const std::string beside = CodeFileBeside(projectPath);
  std::error_code ec;
  if (fs::exists(beside, ec)) return true;
  if (current.empty() || !fs::exists(current, ec)) return false;
  return fs::copy_file(current, beside, fs::copy_options::skip_existing, ec) && !ec;
}

namespace {

// The code file is read and converted a block at a time: no copy of the
// whole text is ever made, and the block stays in the cache.
constexpr size_t kReadBlock = 64 * 1024;

}  // namespace

bool LoadCodeFile(CoreContext& ctx, const std::string& path, bool notify) {
  const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  const char* problem = nullptr;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) problem = "ReadFileError";
  else if (st.st_size > static_cast<off_t>(kMaxCodeFileSize)) problem = "DecodeFileLengthError";
  if (problem) {
    if (fd >= 0) ::close(fd);
    if (notify) ctx.ShowMessage(FormatText(ctx.LookupText(problem), path), MB_OK | MB_ICONERROR);
    return false;
  }
  AreaImage& image = ctx.image;
  if (image.bytes.size() < kConvertImageSize) image.bytes.resize(kConvertImageSize);
  C_Hex2BinConverter converter(ctx.layout.codeSize, ctx.layout.optionStart, ctx.layout.optionSize);
  {
    HexTextReader reader(image.bytes.data(), converter);
    const std::unique_ptr<char[]> block(new char[kReadBlock]);
    // The length found at the start is read; a file that shrinks meanwhile
    // is taken as far as it goes.
    uint64_t left = static_cast<uint64_t>(st.st_size);
    while (left > 0) {
      const ssize_t n = ::read(fd, block.get(), static_cast<size_t>(std::min<uint64_t>(left, kReadBlock)));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      left -= static_cast<uint64_t>(n);
      if (!reader.Feed(block.get(), static_cast<uint32_t>(n))) break;
    }
    reader.Finish();
  }
  ::close(fd);
  image.optionLength = converter.optionCount;
  // Rounded up to whole 512-byte pages; 0 stays 0.
  image.codeLength = (converter.codeEnd + 0x1FFu) & ~0x1FFu;
  ApplyDefaultValues(image, ctx.layout);
  ComplementOptionBytes(image, ctx.layout);
  return true;
}

}  // namespace korvane
