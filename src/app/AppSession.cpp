#include "app/AppSession.h"

#include "core/files/ImagePreparation.h"
#include "link/LinkTypes.h"

namespace korvane {

AppSession::AppSession(CoreContext& core) : description(core), readBackImage(kReadBackImageSize, 0) {}

void AppSession::TakeConfigRead(const ReadResult& area) {
  differingItems.clear();
  if (description.HasTree()) ReadBack(description, readBackImage.data(), area.data.data(), area.size, area.address);
}

void AppSession::PollCodeFile(IChecksumView& view) { korvane::PollCodeFile(description, codeFileSnapshot, view); }

void AppSession::RefreshChecksums(const std::string& codePath, IChecksumView& view) {
  korvane::RefreshChecksums(description, codePath, view);
}

}  // namespace korvane
