#include "core/files/ImagePreparation.h"

#include <algorithm>
#include <cstring>

#include "core/eval/ItemBehaviours.h"
#include "core/files/CodeFile.h"
#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"

namespace korvane {

bool PrepareImage(ChipDescription& desc, bool skipCode, const std::string& codePath, bool notify) {
  CoreContext& ctx = desc.Context();
  AreaImage& image = ctx.image;
  if (image.bytes.size() != kImageSize) image.bytes = MakeImageBytes(kImageSize);
  image.limit = kImageSize;
  auto fill = [&] { std::fill(image.bytes.begin(), image.bytes.end(), ctx.layout.fill); };

  if (!desc.HasTree()) {
    fill();
    if (notify) ctx.ShowMessage(ctx.LookupText("NewNotify"), MB_OK | MB_ICONERROR);
    return false;
  }
  // A code-file load sets every byte of the image itself, so the fill only
  // stands where no code is loaded, or where the load fails before it starts.
  if (skipCode) {
    fill();
  } else if (!LoadCodeFile(ctx, codePath, notify)) {
    fill();
    return false;
  }

  // The loader clamps the areas to the image; the bound here keeps that true
  // whatever set the layout.
  const uint64_t confStart = std::min<uint64_t>(ctx.layout.confStart, image.bytes.size());
  const uint64_t confEnd = std::min<uint64_t>(confStart + ctx.layout.confSize, image.bytes.size());
  std::fill(image.bytes.begin() + static_cast<std::ptrdiff_t>(confStart),
            image.bytes.begin() + static_cast<std::ptrdiff_t>(confEnd), ctx.layout.fill);

  EncodeItems(desc.root.get(), image.bytes.data(), image.limit, true, ctx);
  return true;
}

void ReadBack(ChipDescription& desc, uint8_t* readBackImage, const uint8_t* data, uint32_t size, uint32_t address) {
  desc.modified = 1;
  if (desc.HasTree() && readBackImage) {
    if (data && address < kReadBackImageSize) {
      const uint32_t n = std::min<uint32_t>(size, kReadBackImageSize - address);
      std::memcpy(readBackImage + address, data, n);
    }
    ClearGridRows(desc.root.get());
    DecodeItems(desc.root.get(), readBackImage, kReadBackImageSize, desc.Context());
  }
  desc.checksumDirty = 1;
}

}  // namespace korvane
