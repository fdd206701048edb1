#pragma once
// The set-ups of the read, download and checksum commands: they check the
// port and the description, take the user's choice, prepare the image and
// the transfer copy, and name the operation to start. The choice comes from
// the caller (a dialog in the desktop application, the options on the command
// line), asked for only once the port and the description are ready.
#include <functional>
#include <optional>
#include <string>

#include "link/LinkContext.h"

namespace korvane {

class ChipDescription;

struct DownloadChoice {
  TargetKind target = TargetKind::Tool;
  bool conf = true;
  bool code = true;
  std::string codePath;
};

struct ChecksumChoice {
  bool conf = true;
  bool code = true;  // the code area and the option area
  std::string codePath;
};

// Each returns the operation kind to start, or 0 when nothing is to start
// (not ready, cancelled, or the image could not be prepared). An empty
// optional from ask is a cancel; ask gets the code file the project uses.
int SetupRead(LinkContext& link, bool descriptionLoaded, const std::function<std::optional<TargetKind>()>& ask);
int SetupDownload(LinkContext& link, ChipDescription& desc,
                  const std::function<std::optional<DownloadChoice>(const std::string& codePath)>& ask);
int SetupChecksum(LinkContext& link, ChipDescription& desc,
                  const std::function<std::optional<ChecksumChoice>(const std::string& codePath)>& ask);

// The target's number in selection: 0 the tool, 1 the chip.
inline uint32_t SelectionOf(TargetKind target) { return target == TargetKind::Chip ? 1 : 0; }

}  // namespace korvane
