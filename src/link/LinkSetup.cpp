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

std::optional<OperationRequest> SetupDownload(
    LinkContext& link, ChipDescription& desc,
    const std::function<std::optional<DownloadChoice>(const std::string&)>& ask) {
  if (!PortReady(link, true, true, desc.HasTree())) return std::nullopt;
  const std::optional<DownloadChoice> choice = ask ? ask(GetCodeFilePath(desc)) : std::nullopt;
  // The code file is checked when the image is prepared, which shows why it failed.
  if (!choice || CheckAreaChoice(choice->conf, choice->code, nullptr) != AreaChoiceProblem::None) return std::nullopt;
  OperationRequest request = DownloadRequest(*choice);
  if (!PrepareRequestImage(request, desc)) return std::nullopt;
  return request;
}

std::optional<OperationRequest> SetupChecksum(
    LinkContext& link, ChipDescription& desc,
    const std::function<std::optional<ChecksumChoice>(const std::string&)>& ask) {
  if (!PortReady(link, true, true, desc.HasTree())) return std::nullopt;
  const std::optional<ChecksumChoice> choice = ask ? ask(GetCodeFilePath(desc)) : std::nullopt;
  if (!choice || CheckAreaChoice(choice->conf, choice->code, nullptr) != AreaChoiceProblem::None) return std::nullopt;
  OperationRequest request = ChecksumRequest(*choice);
  if (!PrepareRequestImage(request, desc)) return std::nullopt;
  return request;
}

}  // namespace korvane
