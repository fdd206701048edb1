#include "core/files/HexExport.h"

#include <algorithm>

#include "core/files/ImagePreparation.h"
#include "core/files/PcChecksums.h"
#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "core/text/AtomicFile.h"
#include "core/text/TextFormat.h"

namespace korvane {
namespace {

constexpr uint32_t kRecordBytes = 16;
constexpr uint32_t kConfRecords = 34;  // 544 bytes, whatever confSize is

const char kHexDigits[] = "0123456789ABCDEF";

// One record, ":" then the bytes as upper-case hex pairs, the checksum (the
// two's complement of the bytes' sum) and CR LF, appended to out in one go.
void AppendRecord(std::string& out, const uint8_t* header, uint32_t headerBytes, const uint8_t* data, uint32_t n) {
  const size_t at = out.size();
  out.resize(at + 1 + 2 * (headerBytes + n + 1) + 2);
  char* p = out.data() + at;
  *p++ = ':';
  uint8_t sum = 0;
  auto put = [&](uint8_t b) {
    *p++ = kHexDigits[b >> 4];
    *p++ = kHexDigits[b & 0xF];
    sum = static_cast<uint8_t>(sum + b);
  };
  for (uint32_t i = 0; i < headerBytes; ++i) put(header[i]);
  for (uint32_t i = 0; i < n; ++i) put(data[i]);
  put(static_cast<uint8_t>(-sum));
  *p++ = '\r';
  *p = '\n';
}

void AppendDataRecord(std::string& out, uint32_t n, uint32_t loadOffset, const uint8_t* bytes) {
  const uint8_t header[] = {static_cast<uint8_t>(n), static_cast<uint8_t>(loadOffset >> 8),
                            static_cast<uint8_t>(loadOffset), 0x00};
  AppendRecord(out, header, sizeof header, bytes, n);
}

void StoreBigEndian(std::vector<uint8_t>& bytes, uint32_t at, uint32_t value) {
  if (uint64_t{at} + 4 > bytes.size()) return;
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// Emits data records at 32-bit addresses. A record never crosses a 64 KiB
// boundary, and an extended linear address record precedes every record whose
// upper 16 address bits differ from the last ones announced, so code and conf
// beyond 64 KiB land where they belong instead of wrapping onto low addresses.
class RecordWriter {
 public:
  RecordWriter(std::string& out, const std::vector<uint8_t>& image) : out_(out), image_(image) {}

  void Announce(uint32_t address) {
    out_ += MakeAddressRecord(address);
    upper_ = address >> 16;
  }

  // n bytes of the image from source, written at address; the part of the
  // source beyond the image is left out.
  void Data(uint32_t address, uint64_t source, uint32_t n) {
    if (source >= image_.size()) return;
    n = static_cast<uint32_t>(std::min<uint64_t>(n, image_.size() - source));
    while (n > 0) {
      if ((address >> 16) != upper_) Announce(address & 0xFFFF0000u);
      const uint32_t room = 0x10000u - (address & 0xFFFFu);
      const uint32_t k = std::min(n, room);
      AppendDataRecord(out_, k, address & 0xFFFFu, image_.data() + source);
      address += k;
      source += k;
      n -= k;
    }
  }

 private:
  std::string& out_;
  const std::vector<uint8_t>& image_;
  uint32_t upper_ = 0;
};

}  // namespace

ImageInfoBlock ImageInfoBlock::FromImage(const CoreContext& ctx) {
  const AreaImage& image = ctx.image;
  const AreaLayout& layout = ctx.layout;
  ImageInfoBlock block;
  block.chipType = ctx.chipKind.chipType;
  block.funcType = ctx.chipKind.funcType;
  block.codeChecksum = ImageRangeChecksum(image, 0, image.codeLength);
  block.confChecksum = ImageRangeChecksum(image, layout.confStart, layout.confSize);
  block.codeLength = image.codeLength;
  block.optionChecksum = ImageRangeChecksum(image, layout.optionStart, image.optionLength);
  return block;
}

void ImageInfoBlock::Store(CoreContext& ctx) const {
  std::vector<uint8_t>& bytes = ctx.image.bytes;
  const uint32_t fields[] = {chipType, funcType, codeChecksum, confChecksum, codeLength, optionChecksum};
  for (uint32_t i = 0; i < 6; ++i) StoreBigEndian(bytes, kAddress + 4 * i, fields[i]);
}

std::string MakeDataRecord(uint32_t n, uint32_t loadOffset, const uint8_t* bytes) {
  std::string line;
  AppendDataRecord(line, n, loadOffset, bytes);
  return line;
}

std::string MakeAddressRecord(uint32_t address) {
  const uint8_t record[] = {0x02,
                            static_cast<uint8_t>(address >> 8),
                            static_cast<uint8_t>(address),
                            0x04,
                            static_cast<uint8_t>(address >> 24),
                            static_cast<uint8_t>(address >> 16)};
  std::string line;
  AppendRecord(line, record, sizeof record, nullptr, 0);
  return line;
}

std::string BuildHexText(CoreContext& ctx, bool codeChosen, bool confChosen) {
  const AreaLayout& layout = ctx.layout;
  AreaImage& image = ctx.image;
  std::string out;
  out.reserve(static_cast<size_t>((codeChosen ? image.codeLength + image.optionLength : 0) + 1024) * 3);
  RecordWriter writer(out, image.bytes);
  writer.Announce(0);

  if (codeChosen) {
    uint32_t offset = 0;
    for (; offset < image.codeLength; offset += kRecordBytes) {
      const uint32_t n = std::min(kRecordBytes, image.codeLength - offset);
      writer.Data(layout.codeStart + offset, uint64_t{layout.codeStart} + offset, n);
    }
    // Whole records up to the conf area, so the file covers everything below it.
    // The count is 32 bits and ends at confStart, and each filler byte comes
    // from the address it is written at.
    for (; offset < layout.confStart && offset < image.bytes.size(); offset += kRecordBytes)
      writer.Data(offset, offset, kRecordBytes);
  }

  if (confChosen) {
    ImageInfoBlock::FromImage(ctx).Store(ctx);
    for (uint32_t k = 0; k < kConfRecords; ++k) {
      const uint64_t at = uint64_t{layout.confStart} + kRecordBytes * k;
      writer.Data(static_cast<uint32_t>(at), at, kRecordBytes);
    }
  }

  if (codeChosen) {
    // The option part's record carries optionStart itself; its data records
    // count from 0 inside the option segment.
    writer.Announce(layout.optionStart);
    const uint32_t segment = layout.optionStart & 0xFFFF0000u;
    for (uint32_t offset = 0; offset < image.optionLength; offset += kRecordBytes) {
      const uint32_t n = std::min(kRecordBytes, image.optionLength - offset);
      writer.Data(segment + offset, uint64_t{layout.optionStart} + offset, n);
    }
  }

  out += ":00000001FF\r\n";
  return out;
}

bool ExportHex(ChipDescription& desc, bool codeChosen, bool confChosen, const std::string& codePath,
               const std::string& targetPath) {
  CoreContext& ctx = desc.Context();
  if (!PrepareImage(desc, !codeChosen, codePath, true)) return false;
  const std::string text = BuildHexText(ctx, codeChosen, confChosen);

  auto writeError = [&] {
    ctx.ShowMessage(FormatText(ctx.LookupText("WriteFileError"), targetPath), MB_OK | MB_ICONERROR);
    return false;
  };
  // A file that cannot be written whole stays as it was.
  if (!ReplaceFileAtomically(targetPath, text)) return writeError();
  ctx.ShowMessage(ctx.LookupText("EXPORT_OK"), MB_OK | MB_ICONINFORMATION);
  return true;
}

}  // namespace korvane
