// A code file from outside, read into the image of a layout that the input's
// first 24 bytes give (six 32-bit numbers: code, conf and option start and
// end, clamped as the description loader clamps them), with the fixed
// patches of the line that follows; then the area checksums of what was read
// (exporting any layout is the description target's part). Every run also
// reads the text with the plain reference reader and stops on any difference
// in the image or the converter's state, so the fast reader keeps every rule
// of the slow one.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "FuzzSupport.h"
#include "core/files/CodeFile.h"
#include "core/files/Hex2BinConverter.h"
#include "core/files/PcChecksums.h"
#include "core/model/CoreContext.h"
#include "tests/core/files/ReferenceHexReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  static CoreContext* ctx = new CoreContext;
  static fuzz::MemoryFile* file = new fuzz::MemoryFile("code");
  static std::vector<uint8_t>* expected = new std::vector<uint8_t>(kConvertImageSize);

  fuzz::InputReader in(data, size);
  uint32_t bounds[6];
  for (uint32_t& b : bounds) b = in.Word();
  AreaLayout& layout = ctx->layout;
  ClampArea(bounds[0], bounds[1], layout.codeStart, layout.codeSize);
  ClampArea(bounds[2], bounds[3], layout.confStart, layout.confSize);
  ClampArea(bounds[4], bounds[5], layout.optionStart, layout.optionSize);
  layout.defaultValues = in.Line();
  const std::string_view text = in.Rest();

  C_Hex2BinConverter reference(layout.codeSize, layout.optionStart, layout.optionSize);
  test::ReferenceConvert(expected->data(), reference, text.data(), static_cast<uint32_t>(text.size()));
  C_Hex2BinConverter fast(layout.codeSize, layout.optionStart, layout.optionSize);
  ctx->image.bytes.assign(kImageSize, 0);
  Convert(ctx->image.bytes.data(), fast, text.data(), static_cast<uint32_t>(text.size()));
  if (!test::SameConverterState(reference, fast) || *expected != ctx->image.bytes) {
    std::fprintf(stderr, "the reader and the reference reader differ\n");
    std::abort();
  }

  file->Set(text);
  if (!LoadCodeFile(*ctx, file->Path(), false)) return 0;
  ComputePcChecksums(*ctx);
  return 0;
}
