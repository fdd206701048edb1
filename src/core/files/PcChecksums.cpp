#include "core/files/PcChecksums.h"

#include <sys/stat.h>

#include <algorithm>

#include "core/files/ChecksumCrc32.h"
#include "core/files/CodeFile.h"
#include "core/files/ImagePreparation.h"
#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "core/text/TextFormat.h"

namespace korvane {
uint32_t ImageRangeChecksum(const AreaImage& image, uint64_t start, uint64_t length) {
  const uint64_t size = image.bytes.size();
  if (start >= size) return ChecksumCrc32(nullptr, 0);
  return ChecksumCrc32(image.bytes.data() + start, static_cast<int64_t>(std::min(length, size - start)));
}

PcChecksums ComputePcChecksums(const CoreContext& ctx) {
  const AreaLayout& l = ctx.layout;
  const AreaImage& image = ctx.image;
  PcChecksums s;
  s.conf = ImageRangeChecksum(image, l.confStart, l.confSize);
  s.code = ImageRangeChecksum(image, l.codeStart, image.codeLength);
  s.option = ImageRangeChecksum(image, l.optionStart, l.optionSize);
  s.confSize = l.confSize;
  s.codeSize = image.codeLength;
  s.optionSize = l.optionSize;
  return s;
}

void RefreshChecksums(ChipDescription& desc, const std::string& codePath, IChecksumView& view) {
  if (!view.HasChecksumBar()) return;
  view.ClearPcColumn();
  if (!desc.HasTree()) return;
  if (!PrepareImage(desc, false, codePath, false)) return;
  CoreContext& ctx = desc.Context();
  const PcChecksums s = ComputePcChecksums(ctx);
  view.SetChecksumBar(StrFormat("%s: 0x%08X   %s: 0x%08X", ctx.LookupText("CONF_CHECKSUM").c_str(), s.conf,
                                ctx.LookupText("CODE_CHECKSUM").c_str(), s.code));
  view.SetPcCell(kRowConf, StrFormat("0x%08X", s.conf));
  view.SetPcCell(kRowCode, StrFormat("0x%08X", s.code));
  view.SetPcCell(kRowOption, StrFormat("0x%08X", s.option));
  view.SetPcCell(kRowConfSize, StrFormat("%d Byte", static_cast<int>(s.confSize)));
  view.SetPcCell(kRowCodeSize, StrFormat("%d Byte", static_cast<int>(s.codeSize)));
  view.SetPcCell(kRowOptionSize, StrFormat("%d Byte", static_cast<int>(s.optionSize)));
}

CodeFileSnapshot TakeCodeFileSnapshot(const std::string& path) {
  CodeFileSnapshot snap;
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return snap;
  snap.mode = st.st_mode;
  snap.ctimeSec = st.st_ctim.tv_sec;
  snap.ctimeNsec = st.st_ctim.tv_nsec;
  snap.atimeSec = st.st_atim.tv_sec;
  snap.atimeNsec = st.st_atim.tv_nsec;
  snap.mtimeSec = st.st_mtim.tv_sec;
  snap.mtimeNsec = st.st_mtim.tv_nsec;
  snap.size = static_cast<uint64_t>(st.st_size);
  return snap;
}

bool PollCodeFile(ChipDescription& desc, CodeFileSnapshot& stored, IChecksumView& view) {
  const std::string path = GetCodeFilePath(desc);
  const CodeFileSnapshot now = TakeCodeFileSnapshot(path);
  const bool refresh = desc.checksumDirty != 0 || !(now == stored);
  if (refresh) RefreshChecksums(desc, path, view);
  stored = now;
  desc.checksumDirty = 0;
  return refresh;
}

}  // namespace korvane
