#pragma once
// Writing the chip image as one Intel HEX file: code, conf (with the image
// information block) and option parts.
#include <cstdint>
#include <string>

namespace korvane {

class ChipDescription;
struct CoreContext;

// The 24-byte record put at 0xEE00 of the image before the conf area is
// exported; every field is stored most significant byte first.
struct ImageInfoBlock {
  static constexpr uint32_t kAddress = 0xEE00;
  static constexpr uint32_t kSize = 24;

  uint32_t chipType = 0;
  uint32_t funcType = 0;
  uint32_t codeChecksum = 0;    // over codeLength bytes from address 0
  uint32_t confChecksum = 0;    // over confSize bytes from confStart
  uint32_t codeLength = 0;
  uint32_t optionChecksum = 0;  // over optionLength bytes from optionStart

  // The block for the image as it stands.
  static ImageInfoBlock FromImage(const CoreContext& context);
  // Stores the block at kAddress; the eight bytes after it are left alone.
  void Store(CoreContext& context) const;
};

// ":" + n, the 16-bit load offset, type 00, the n bytes and the checksum, as
// upper-case hex, then CR LF.
std::string MakeDataRecord(uint32_t n, uint32_t loadOffset, const uint8_t* bytes);

// Extended linear address record: the offset field carries the low 16 bits of
// address, the data its upper 16 bits. MakeAddressRecord(0) is ":020000040000FA\r\n".
std::string MakeAddressRecord(uint32_t address);

// The HEX text of the image as it stands after PrepareImage; writes the
// information block into the image when conf is chosen.
std::string BuildHexText(CoreContext& context, bool codeChosen, bool confChosen);

// Rebuilds the image (loading the code file at codePath when code is chosen)
// and writes it to targetPath, replacing what is there atomically: a failed
// write leaves the old file whole. Failures (with the path) and success are
// shown through the message box. True when the file was written.
bool ExportHex(ChipDescription& desc, bool codeChosen, bool confChosen, const std::string& codePath,
               const std::string& targetPath);

}  // namespace korvane
