#pragma once
// The set-ups of the read, download and checksum commands: they check the
// port and the description, take the user's choice, and build the request to
// start. The choice comes from the caller (a dialog in the desktop
// application, the options on the command line), asked for only once the
// port and the description are ready.
#include <functional>
#include <optional>
#include <string>

#include "link/LinkContext.h"

namespace korvane {

class ChipDescription;

// Each returns the request to start, or nothing when nothing is to start
// (not ready, cancelled, or the image could not be prepared). An empty
// optional from ask is a cancel; ask gets the code file the project uses.
// The download and the comparison come with their image prepared.
std::optional<OperationRequest> SetupRead(LinkContext& link, bool descriptionLoaded,
                                          const std::function<std::optional<TargetKind>()>& ask);
std::optional<OperationRequest> SetupDownload(
    LinkContext& link, ChipDescription& desc,
    const std::function<std::optional<DownloadChoice>(const std::string& codePath)>& ask);
std::optional<OperationRequest> SetupChecksum(
    LinkContext& link, ChipDescription& desc,
    const std::function<std::optional<ChecksumChoice>(const std::string& codePath)>& ask);

}  // namespace korvane
