#pragma once
// What a front end decides before a device operation, handed to the start
// as one value: the kind, the user's choice, the code file and, for writes
// and comparisons, the image the worker sends from or checksums. A front end
// builds the request from the user's choice, prepares its image, and gives
// it to the start, which hands it to the worker; a batch builds one for each
// unit and starts them one by one or side by side.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/LinkArea.h"
#include "link/LinkTypes.h"

namespace korvane {

class ChipDescription;

// The choice before a download: where to, which areas, which code file.
struct DownloadChoice {
  TargetKind target = TargetKind::Tool;
  bool conf = true;
  bool code = true;  // the code area with its option bytes
  std::string codePath;
};

// The choice before a checksum comparison.
struct ChecksumChoice {
  bool conf = true;
  bool code = true;  // the code area with its option bytes
  std::string codePath;
};

// What a write of one area from raw bytes leaves in the rest of the image:
// the state of erased memory.
constexpr uint8_t kBlankByte = 0xFF;

struct OperationRequest {
  int kind = 0;
  // The user's choice as the dialogs number it: the target (0 the tool, 1 the
  // chip) for the configuration commands, the FlashKind for the area ones.
  uint32_t selection = 0;
  std::string codePath;           // the code file the image is prepared with
  std::vector<uint8_t> image;     // the worker's copy of the chip image: writes send it, comparisons checksum it
  uint32_t writeLength[3] = {};   // the bytes written of each area, by LinkArea
  uint32_t checkMask = 0;         // the areas a comparison checks, as CheckBit
  BurnConfigRecord burnConfig;    // what the burn configuration write sends

  uint32_t ImageSize() const { return static_cast<uint32_t>(image.size()); }
  // The areas the request moves or checks.
  AreaSet Areas() const;
};

// The target's number in selection: 0 the tool, 1 the chip.
inline uint32_t SelectionOf(TargetKind target) { return target == TargetKind::Chip ? 1 : 0; }

// The requests of the commands, from the user's choice. A download or a
// comparison needs its image prepared before it starts; a write or
// comparison of one area needs its bytes placed.
OperationRequest ReadConfigRequest(TargetKind target);
OperationRequest DownloadRequest(const DownloadChoice& choice);
OperationRequest ChecksumRequest(const ChecksumChoice& choice);
OperationRequest AreaReadRequest(TargetKind target, AreaKind area);
OperationRequest AreaWriteRequest(TargetKind target, AreaKind area);
OperationRequest AreaCompareRequest(AreaKind area);
OperationRequest DeviceInfoRequest(TargetKind target);
OperationRequest BurnConfigRequest(const BurnConfigRecord& record);

// The prepare step of a download or comparison: rebuilds the chip image of
// desc with the request's code file (left out when the request leaves the
// code area out), then copies it for the worker and sets the lengths to
// write. False, the failure shown, when the image cannot be prepared.
bool PrepareRequestImage(OperationRequest& request, ChipDescription& desc);

// A write of the code area also writes and burns the option area, so the
// option bytes that go with the code must be the project's: the option area
// of desc's image prepared with its code file (the request's, or the
// project's when the request names none), the layout's option size long.
// Requests that do not carry option bytes with code are left as they are.
// False, the reason shown, when no description is loaded
// ("CODE_WRITE_NEEDS_PROJECT") or its image cannot be prepared; the request
// must not start then.
bool AddProjectOptionBytes(OperationRequest& request, ChipDescription& desc);

// Copies up to count bytes into destination; returns how many it copied.
using ByteSource = std::function<uint32_t(uint8_t* destination, uint32_t count)>;

// The image of a write or comparison of one area from raw bytes (the hex
// window, a binary file): blank everywhere, and at the area's start as many
// of the available bytes as the area holds and the image has room for,
// taken from read. That number becomes the area's write length; it is
// returned.
uint32_t PlaceAreaBytes(OperationRequest& request, const AreaLayout& layout, AreaKind area, int64_t available,
                        const ByteSource& read);

}  // namespace korvane
