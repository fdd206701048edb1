#pragma once
// What the commands put on stdout. A command hands its findings over as
// records; they come out as the text lines the command always printed, or,
// with --json, as one JSON document (numbers that are checksums or addresses
// as "0x%08X" texts, sizes as numbers). Log lines and errors never come here:
// they stay on stderr.
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/eval/ConfigCompare.h"
#include "core/files/PcChecksums.h"
#include "core/model/AreaLayout.h"
#include "link/BatchRunner.h"
#include "link/LinkTypes.h"
#include "link/SerialPortInfo.h"

namespace korvane {

struct ChipListing {
  struct Function {
    std::string name, caption, device;
  };
  std::string chip;
  std::vector<Function> functions;
};

struct ProjectInfo {
  std::string project, chip, function, codeFile;
  ChipKind kind;
  AreaLayout layout;
  PcChecksums checksums;
};

// What a checksum comparison found, area by area (by LinkArea).
struct VerifyFindings {
  int result = 0;
  std::string message;
  struct Area {
    bool checked = false;  // asked for
    bool read = false;     // the programmer's checksum was read
    uint32_t pc = 0, device = 0;
  };
  Area areas[3];
};

// Two sides of an item comparison and what differs; the bytes of both sides
// for the ranges no item covers.
struct DiffRecord {
  std::string project, other;  // the project's path; the other project's path, or "tool" / "chip"
  ConfigComparison comparison;
  struct Bytes {
    ByteRange range;
    std::vector<uint8_t> project, other;
  };
  std::vector<Bytes> bytes;  // one per comparison.unowned range
};

class CliOutput {
 public:
  CliOutput(bool json, std::ostream& out) : json_(json), out_(out) {}

  void Chips(const std::vector<ChipListing>& chips);
  // One line per port: the path first (as scripts read it), then what is
  // known of the adapter and its stable name, separated by two blanks.
  void Ports(const std::vector<SerialPortInfo>& ports);
  void Info(const ProjectInfo& info);
  void Checksums(const PcChecksums& sums);
  void Values(const std::vector<std::pair<std::string, std::string>>& values);
  void DeviceInfo(TargetKind target, const DeviceInfoRecord& record);
  // Prints nothing as text: the log on stderr says it all.
  void Verify(const VerifyFindings& findings);
  void Diff(const DiffRecord& diff);

  // One finished unit of a batch as one line of JSON (no line feed): unit,
  // port, values, result, message, verified, passed, the three checksums,
  // seconds and the time it finished (ISO 8601, UTC).
  static std::string UnitRecord(const UnitOutcome& outcome);

 private:
  bool json_;
  std::ostream& out_;
};

}  // namespace korvane
