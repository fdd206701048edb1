#include "core/files/CodeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

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

enum class ReadResult { Ok, Unreadable, TooLong };

ReadResult ReadWholeFile(const std::string& path, std::string& text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ReadResult::Unreadable;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return ReadResult::Unreadable;
  }
  if (st.st_size > static_cast<off_t>(kMaxCodeFileSize)) {
    ::close(fd);
    return ReadResult::TooLong;
  }
  text.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  while (got < text.size()) {
    const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  text.resize(got);  // a file that shrank while read is taken as far as it went
  return ReadResult::Ok;
}

}  // namespace

bool LoadCodeFile(CoreContext& ctx, const std::string& path, bool notify) {
  std::string text;
  const ReadResult r = path.empty() ? ReadResult::Unreadable : ReadWholeFile(path, text);
  if (r != ReadResult::Ok) {
    if (notify) {
      const char* key = r == ReadResult::TooLong ? "DecodeFileLengthError" : "ReadFileError";
      ctx.ShowMessage(FormatText(ctx.LookupText(key), path), MB_OK | MB_ICONERROR);
    }
    return false;
  }
  AreaImage& image = ctx.image;
  if (image.bytes.size() < kConvertImageSize) image.bytes.resize(kConvertImageSize);
  C_Hex2BinConverter converter(ctx.layout.codeSize, ctx.layout.optionStart, ctx.layout.optionSize);
  Convert(image.bytes.data(), converter, text.data(), static_cast<uint32_t>(text.size()));
  image.optionLength = converter.optionCount;
  // Rounded up to whole 512-byte pages; 0 stays 0.
  image.codeLength = (converter.codeEnd + 0x1FFu) & ~0x1FFu;
  ApplyDefaultValues(image, ctx.layout);
  ComplementOptionBytes(image, ctx.layout);
  return true;
}

}  // namespace korvane
