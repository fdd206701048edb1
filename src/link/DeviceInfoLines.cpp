#include "link/DeviceInfoLines.h"

#include "core/text/TextFormat.h"
#include "link/LinkReport.h"

namespace korvane {

namespace {

using R = DeviceInfoRecord;

std::string VersionLine(const CoreContext& core, const char* key, uint8_t v) {
  return StrFormat(" %s:%d.%d", core.LookupText(key).c_str(), v >> 4, v & 0x0F);
}

std::string HexLine(const CoreContext& core, const char* key, uint32_t v) {
  return StrFormat(" %s:0x%08X", core.LookupText(key).c_str(), v);
}

std::string FuncLine(const CoreContext& core, uint32_t v) {
  return StrFormat(" %s:0x%08X (%s)", core.LookupText("FUNC_TYPE_ID").c_str(), v, DeviceKindName(v));
}

std::string SizeLine(const CoreContext& core, const char* key, uint32_t v) {
  return StrFormat(" %s:0x%08X (%.1f K)", core.LookupText(key).c_str(), v, v / 1024.0);
}

}  // namespace

std::vector<std::string> DeviceInfoLines(const CoreContext& core, const uint8_t version[2], const R& record) {
  return {
      VersionLine(core, "SOFTWARE_VERSION", version[0]),
      VersionLine(core, "HARDWARE_VERSION", version[1]),
      HexLine(core, "CHIP_TYPE_ID", record.field[R::ChipType]),
      FuncLine(core, record.field[R::FuncType]),
      HexLine(core, "DATA_CHECKSUM", record.field[R::ConfChecksum]),
      HexLine(core, "PROG_CHECKSUM", record.field[R::CodeChecksum]),
      HexLine(core, "OPTION_CHECKSUM", record.field[R::OptionChecksum]),
      SizeLine(core, "ConfAreaSize", record.field[R::ConfLength]),
      SizeLine(core, "CodeAreaSize", record.field[R::CodeLength]),
      SizeLine(core, "ConfOptionSize", record.field[R::OptionLength]),
  };
}

std::vector<std::string> ChipMismatchLines(const CoreContext& core, const R& record) {
  return {
      HexLine(core, "CHIP_TYPE_ID", record.field[R::ChipType]),
      FuncLine(core, record.field[R::FuncType]),
      SizeLine(core, "ConfAreaSize", record.field[R::ConfLength]),
      SizeLine(core, "CodeAreaSize", record.field[R::CodeLength]),
      SizeLine(core, "ConfOptionSize", record.field[R::OptionLength]),
  };
}

void ShowDeviceInfo(LinkContext& link, const uint8_t version[2], const R& record) {
  for (const std::string& line : DeviceInfoLines(link.core, version, record)) ReportLog(link, line, kColourInfo);
}

void ShowChipMismatch(LinkContext& link, const R& record) {
  for (const std::string& line : ChipMismatchLines(link.core, record)) ReportLog(link, line, kColourInfo);
}

}  // namespace korvane
