#pragma once
// The PC-side area checksums the main window shows permanently, recomputed
// when the code file changes or the project asks for it.
#include <cstdint>
#include <string>

namespace korvane {

class ChipDescription;
struct AreaImage;
struct CoreContext;

// Rows of the checksum list's PC column, top to bottom.
enum ChecksumRow : int { kRowConf = 0, kRowCode, kRowOption, kRowConfSize, kRowCodeSize, kRowOptionSize, kChecksumRows };

struct PcChecksums {
  uint32_t conf = 0;
  uint32_t code = 0;
  uint32_t option = 0;
  uint32_t confSize = 0;
  uint32_t codeSize = 0;  // codeLength: what the code file brought, not the area's size
  uint32_t optionSize = 0;
};

// ChecksumCrc32 over length bytes of the image from start; only the part
// inside the image counts.
uint32_t ImageRangeChecksum(const AreaImage& image, uint64_t start, uint64_t length);

// Checksums of the image as it stands: conf over confSize bytes from
// confStart, code over codeLength bytes from codeStart, option over
// optionSize bytes from optionStart (ranges cut at the image's end).
PcChecksums ComputePcChecksums(const CoreContext& context);

// Where the values are shown: the checksum bar and the PC column of the list.
class IChecksumView {
 public:
  virtual ~IChecksumView() = default;
  virtual bool HasChecksumBar() const = 0;
  virtual void SetChecksumBar(const std::string& text) = 0;
  virtual void ClearPcColumn() = 0;
  virtual void SetPcCell(int row, const std::string& text) = 0;
};

// Prepares the image with the code file at codePath (silently) and shows the
// values; when that fails the column stays empty and the bar keeps its text.
void RefreshChecksums(ChipDescription& desc, const std::string& codePath, IChecksumView& view);

// What the poll compares: the code file's attributes as stat() gives them;
// all zero for an empty path or a missing file.
struct CodeFileSnapshot {
  uint32_t mode = 0;
  int64_t ctimeSec = 0, ctimeNsec = 0;
  int64_t atimeSec = 0, atimeNsec = 0;
  int64_t mtimeSec = 0, mtimeNsec = 0;
  uint64_t size = 0;
  bool operator==(const CodeFileSnapshot&) const = default;
};

CodeFileSnapshot TakeCodeFileSnapshot(const std::string& path);

// Refreshes when checksumDirty is set or the code file's snapshot differs
// from stored; then stores the new snapshot and clears checksumDirty.
// Returns whether it refreshed.
bool PollCodeFile(ChipDescription& desc, CodeFileSnapshot& stored, IChecksumView& view);

}  // namespace korvane
