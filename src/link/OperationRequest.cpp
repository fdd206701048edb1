#include "link/OperationRequest.h"

#include <algorithm>

#include "core/files/CodeFile.h"
#include "core/files/ImagePreparation.h"
#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "core/text/MessageBox.h"
#include "link/OperationKind.h"

namespace korvane {

AreaSet OperationRequest::Areas() const {
  if (kind == kOpCompareChecksums) return AreasOfCheckMask(checkMask);
  const OperationInfo* op = OperationInfoOf(kind);
  return op ? op->areas : kNoAreas;
}

OperationRequest ReadConfigRequest(TargetKind target) {
  OperationRequest request;
  request.kind = FindOperation(OpDirection::ReadConfig, target, kSelectConf);
  request.selection = SelectionOf(target);
  return request;
}

OperationRequest DownloadRequest(const DownloadChoice& choice) {
  OperationRequest request;
  request.kind = FindOperation(OpDirection::Download, choice.target, ChosenAreas(choice.conf, choice.code));
  request.selection = SelectionOf(choice.target);
  request.codePath = choice.codePath;
  return request;
}

OperationRequest ChecksumRequest(const ChecksumChoice& choice) {
  OperationRequest request;
  request.kind = kOpCompareChecksums;
  request.checkMask = CheckMaskOf(ChosenAreas(choice.conf, choice.code));
  request.codePath = choice.codePath;
  return request;
}

OperationRequest AreaReadRequest(TargetKind target, AreaKind area) {
  OperationRequest request;
  request.kind = FindOperation(OpDirection::ReadArea, target, SelectorOf(area));
  request.selection = FlashKindOf(area);
  return request;
}

OperationRequest AreaWriteRequest(TargetKind target, AreaKind area) {
  OperationRequest request;
  // The code area goes out with its option bytes.
  request.kind = FindOperation(OpDirection::WriteArea, target, WithOptionBytes(SelectorOf(area)));
  request.selection = FlashKindOf(area);
  return request;
}

OperationRequest AreaCompareRequest(AreaKind area) {
  OperationRequest request;
  request.kind = kOpCompareChecksums;
  request.selection = FlashKindOf(area);
  request.checkMask = CheckBitOf(area);
  return request;
}

OperationRequest DeviceInfoRequest(TargetKind target) {
  OperationRequest request;
  request.kind = FindOperation(OpDirection::ReadInfo, target);
  return request;
}

OperationRequest BurnConfigRequest(const BurnConfigRecord& record) {
  OperationRequest request;
  request.kind = kOpWriteBurnConfig;
  request.burnConfig = record;
  return request;
}

bool PrepareRequestImage(OperationRequest& request, ChipDescription& desc) {
  if (!PrepareImage(desc, !Contains(request.Areas(), AreaKind::Code), request.codePath, true)) return false;
  // The worker sends from its own copy, so that nothing the front end does
  // while it runs can change what goes out.
  const CoreContext& core = desc.Context();
  request.image = core.image.bytes;
  request.writeLength[kLinkAreaConf] = core.layout.confSize;
  request.writeLength[kLinkAreaOption] = core.layout.optionSize;
  request.writeLength[kLinkAreaCode] = core.image.codeLength;
  return true;
}

bool AddProjectOptionBytes(OperationRequest& request, ChipDescription& desc) {
  if (request.Areas() != WithOptionBytes(kSelectCode)) return true;
  CoreContext& core = desc.Context();
  if (!desc.HasTree()) {
    core.ShowMessage(core.LookupText("CODE_WRITE_NEEDS_PROJECT"), MB_OK | MB_ICONERROR);
    return false;
  }
  if (request.codePath.empty()) request.codePath = GetCodeFilePath(desc);
  if (!PrepareImage(desc, false, request.codePath, true)) return false;
  const uint32_t start = std::min(core.layout.optionStart, kImageSize);
  const uint32_t length = std::min(core.layout.optionSize, kImageSize - start);
  if (request.image.size() < kImageSize) request.image.resize(kImageSize, kBlankByte);
  std::copy_n(core.image.bytes.begin() + start, length, request.image.begin() + start);
  request.writeLength[kLinkAreaOption] = length;
  return true;
}

uint32_t PlaceAreaBytes(OperationRequest& request, const AreaLayout& layout, AreaKind area, int64_t available,
                        const ByteSource& read) {
  const uint32_t start = std::min(layout.Start(area), kImageSize);
  // Only the area's own size goes out, and never past the image.
  const int64_t room = std::min<int64_t>(layout.Size(area), kImageSize - start);
  const uint32_t n = static_cast<uint32_t>(std::clamp<int64_t>(available, 0, room));
  request.image.assign(kImageSize, kBlankByte);
  if (n && read) read(request.image.data() + start, n);
  request.writeLength[LinkAreaOf(area)] = n;
  return n;
}

}  // namespace korvane
