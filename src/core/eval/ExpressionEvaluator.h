#pragma once
// The calculator behind an item's inExpression and outExpression: statements
// of arithmetic over named variables, computed in double precision. Errors
// never stop an evaluation; each one is counted, logged and replaced by a
// fixed value, so every text yields a number.
#include <cstdint>
#include <map>
#include <string>

namespace korvane {

class LogFile;

class ExpressionEvaluator {
 public:
  // Error lines go to log (null: nowhere).
  explicit ExpressionEvaluator(LogFile* log = nullptr) : log_(log) {}

  void SetVariable(const std::string& name, double number);

  // Runs every statement of text (UTF-8) and returns the value of the last
  // one evaluated; 0 when there is none.
  double Evaluate(const std::string& text);

  int32_t ErrorCount() const { return errorCount_; }

  // Nesting deeper than this is treated as a missing primary rather than
  // followed, so no text can exhaust the stack.
  static constexpr int kMaxDepth = 256;

 private:
  enum Token : int32_t {
    kName = 0x110000,
    kNumber,
    kEnd,
    kStatementEnd = ';',
  };

  // Input over decoded code points.
  bool ReadChar(char32_t& c);
  void PutBack() { --pos_; }
  bool ReadNumber(double& out);

  int32_t GetToken();
  double Expression(bool get);
  double Term(bool get);
  double Primary(bool get);
  void ReportError(const char* message);

  LogFile* log_;
  std::u32string input_;
  size_t pos_ = 0;
  bool failed_ = false;
  std::map<std::u32string, double> variables_;
  std::u32string nameText_;
  double numberValue_ = 0;
  int32_t errorCount_ = 0;
  int32_t currentToken_ = kStatementEnd;
  int depth_ = 0;
  int loggedErrors_ = 0;
};

// Truncates toward zero to a 32-bit signed integer; NaN and results outside
// the range become -2147483648.
int32_t TruncateToInt32(double value);

// One conversion as the item behaviours run it: a fresh evaluator with the
// single variable "value" set, the text evaluated, the result truncated.
int32_t EvaluateConversion(const std::string& expression, double value, LogFile* log);

// UTF-8 to code points; every byte of a malformed sequence becomes U+FFFD.
std::u32string DecodeUtf8(const std::string& text);

}  // namespace korvane
