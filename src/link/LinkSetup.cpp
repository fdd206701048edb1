#include "link/LinkSetup.h"

#include "core/files/AreaChoice.h"
#include "core/files/CodeFile.h"
#include "core/model/ChipDescription.h"
#include "link/OperationRunner.h"

namespace korvane {

std::optional<OperationRequest> SetupRead(LinkContext& link, bool descriptionLoaded,
                                          const std::function<std::optional<TargetKind>()>& ask) {
  if (!PortReady(link, true, true, descriptionLoaded)) return std::nullopt;
  const std::optional<TargetKind> target = ask ? ask() : std::nullopt;
  if (!target) return std::nullopt;
  return ReadConfigRequest(*target);
}

namespace {

// The download and the comparison alike: ready, the choice, its checks, the
// request and its image.
template <typename Choice>
std::optional<OperationRequest> SetupWithImage(
    LinkContext& link, ChipDescription& desc, const std::function<std::optional<Choice>(const std::string&)>& ask,
    OperationRequest (*build)(const Choice&)) {
  if (!PortReady(link, true, true, desc.HasTree())) return std::nullopt;
  const std::optional<Choice> choice = ask ? ask(GetCodeFilePath(desc)) : std::nullopt;
  // The code file is checked when the image is prepared, which shows why it failed.
  if (!choice || CheckAreaChoice(choice->conf, choice->code, nullptr) != AreaChoiceProblem::None) return std::nullopt;
  OperationRequest request = build(*choice);
  if (!PrepareRequestImage(request, desc)) return std::nullopt;
  return request;
}

}  // namespace

std::optional<OperationRequest> SetupDownload(
    LinkContext& link, ChipDescription& desc,
    const std::function<std::optional<DownloadChoice>(const std::string&)>& ask) {
  return SetupWithImage(link, desc, ask, &DownloadRequest);
}

std::optional<OperationRequest> SetupChecksum(
    LinkContext& link, ChipDescription& desc,
    const std::function<std::optional<ChecksumChoice>(const std::string&)>& ask) {
  return SetupWithImage(link, desc, ask, &ChecksumRequest);
}

}  // namespace korvane
