// An item's conversion formula from outside: the text after the first 8
// bytes, evaluated with those bytes as the value of "value" (a double, so
// NaN, infinities and extremes come up), once as the item behaviours do it
// and once with further variables set.
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "core/eval/ExpressionEvaluator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  fuzz::InputReader in(data, size);
  uint64_t bits = uint64_t{in.Word()} | uint64_t{in.Word()} << 32;
  double value;
  std::memcpy(&value, &bits, sizeof value);
  const std::string text(in.Rest());

  EvaluateConversion(text, value, nullptr);
  ExpressionEvaluator evaluator;
  evaluator.SetVariable("value", value);
  evaluator.SetVariable("a", -value);
  evaluator.SetVariable("x1", 0.0);
  TruncateToInt32(evaluator.Evaluate(text));
  return 0;
}
