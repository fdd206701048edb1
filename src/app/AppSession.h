#pragma once
// The project the main window works on, as CliSession holds it for the
// command line: the loaded description with the property grid's rows, the
// image that configuration reads land in, the bytes of the hex window, and
// the code file as the checksum poll last saw it. One per interface pass,
// held in the pass's context, so that it outlives the windows that show it.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/ItemDefaults.h"

#include "core/eval/GridModel.h"
#include "core/files/PcChecksums.h"
#include "core/model/CMemoryAccess.h"
#include "core/model/ChipDescription.h"
#include "link/LinkTypes.h"

namespace korvane {

struct CoreContext;
struct ReadResult;

class AppSession {
 public:
  explicit AppSession(CoreContext& core);
  AppSession(const AppSession&) = delete;
  AppSession& operator=(const AppSession&) = delete;

  ChipDescription description;
  GridModel grid{description, nullptr};  // the property grid shows these rows and hands edits to them
  std::vector<uint8_t> readBackImage;    // where configuration reads land before they are decoded
  CMemoryAccess hexData;                 // block 0: the bytes the hex window shows
  CodeFileSnapshot codeFileSnapshot;     // the code file at the last poll
  int newProjectUnsaved = 0;             // 1 after "new" until the first successful "saveas"
  // The items the last item comparison found different from the device,
  // with the device's value of each, until the next edit, read, load or
  // comparison; and which device that was.
  std::unordered_map<const ConfigItem*, std::string> differingItems;
  TargetKind differingTarget = TargetKind::Tool;
  // What the installed chip gives the items, shown as their defaults.
  ItemDefaults defaults;

  // A configuration read from the device: decoded into the items when a
  // description with items is loaded (the comparison's marks go).
  void TakeConfigRead(const ReadResult& area);
  // The PC-side checksums, recomputed when the project or the code file changed.
  void PollCodeFile(IChecksumView& view);
  void RefreshChecksums(const std::string& codePath, IChecksumView& view);
};

}  // namespace korvane
