#include "link/LinkSetup.h"

#include "core/files/CodeFile.h"
#include "core/files/ImagePreparation.h"
#include "core/model/ChipDescription.h"
#include "link/OperationKind.h"
#include "link/OperationRunner.h"

namespace korvane {

namespace {

// The worker sends from its own copy of the image, so that nothing the UI
// does while it runs can change what goes out.
void CopyImage(LinkContext& link) {
  const AreaImage& image = link.core.image;
  link.transferCopy.assign(image.bytes.begin(), image.bytes.end());
}

}  // namespace

int SetupRead(LinkContext& link, bool descriptionLoaded, const std::function<std::optional<TargetKind>()>& ask) {
  if (!PortReady(link, true, true, descriptionLoaded)) return 0;
  const std::optional<TargetKind> target = ask ? ask() : std::nullopt;
  if (!target) return 0;
  link.selection = SelectionOf(*target);
  return FindOperation(OpDirection::ReadConfig, *target, kSelectConf);
}

int SetupDownload(LinkContext& link, ChipDescription& desc,
                  const std::function<std::optional<DownloadChoice>(const std::string&)>& ask) {
  if (!PortReady(link, true, true, desc.HasTree())) return 0;
  const std::optional<DownloadChoice> choice = ask ? ask(GetCodeFilePath(desc)) : std::nullopt;
  if (!choice || (!choice->conf && !choice->code)) return 0;
  link.selection = SelectionOf(choice->target);
  const AreaSet areas = ChosenAreas(choice->conf, choice->code);
  const int kind = FindOperation(OpDirection::Download, choice->target, areas);
  if (!PrepareImage(desc, !Contains(areas, AreaKind::Code), choice->codePath, true)) return 0;
  CopyImage(link);
  const CoreContext& core = link.core;
  link.writeLength[kLinkAreaConf] = core.layout.confSize;
  link.writeLength[kLinkAreaOption] = core.layout.optionSize;
  link.writeLength[kLinkAreaCode] = core.image.codeLength;
  return kind;
}

int SetupChecksum(LinkContext& link, ChipDescription& desc,
                  const std::function<std::optional<ChecksumChoice>(const std::string&)>& ask) {
  if (!PortReady(link, true, true, desc.HasTree())) return 0;
  const std::optional<ChecksumChoice> choice = ask ? ask(GetCodeFilePath(desc)) : std::nullopt;
  if (!choice || (!choice->conf && !choice->code)) return 0;
  const AreaSet areas = ChosenAreas(choice->conf, choice->code);
  link.checkMask = CheckMaskOf(areas);
  if (!PrepareImage(desc, !Contains(areas, AreaKind::Code), choice->codePath, true)) return 0;
  CopyImage(link);
  return kOpCompareChecksums;
}

}  // namespace korvane
