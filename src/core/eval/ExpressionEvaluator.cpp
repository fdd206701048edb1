#include "core/eval/ExpressionEvaluator.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "core/text/LogFile.h"

namespace korvane {

namespace {

// An endless stream of errors from one bad text would flood the log at every
// refresh; the count keeps growing, only the lines stop.
constexpr int kMaxLoggedErrors = 32;

bool IsAsciiLetter(char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(char32_t c) { return c >= '0' && c <= '9'; }
// The C locale's white space.
bool IsCSpace(char32_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

std::u32string DecodeUtf8(const std::string& text) {
  static const char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
  std::u32string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    const int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    char32_t c = extra <= 0 ? b : b & (0x3Fu >> extra);
    bool ok = extra >= 0 && i + static_cast<size_t>(extra) < text.size();
    for (int k = 1; ok && k <= extra; ++k) {
      const auto n = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
      ok = (n & 0xC0) == 0x80;
      c = (c << 6) | (n & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are malformed too.
    if (!ok || c < kMinimum[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
      out += U'\uFFFD';
      ++i;
      continue;
    }
    out += c;
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return INT32_MIN;
  const double t = std::trunc(value);
  if (t < -2147483648.0 || t > 2147483647.0) return INT32_MIN;
  return static_cast<int32_t>(t);
}

int32_t EvaluateConversion(const std::string& expression, double value, LogFile* log) {
  ExpressionEvaluator evaluator(log);
  evaluator.SetVariable("value", value);
  return TruncateToInt32(evaluator.Evaluate(expression));
}

void ExpressionEvaluator::SetVariable(const std::string& name, double number) {
  variables_[DecodeUtf8(name)] = number;
}

bool ExpressionEvaluator::ReadChar(char32_t& c) {
  if (failed_ || pos_ >= input_.size()) return false;
  c = input_[pos_++];
  return true;
}

// Reads a decimal floating-point number the way a C-locale stream does:
// the longest run of digits, one '.', and an exponent after a digit, then
// the whole run must convert, or the stream fails (value 0).
bool ExpressionEvaluator::ReadNumber(double& out) {
  std::string run;
  bool mantissa = false, point = false, exponent = false;
  char32_t c;
  while (ReadChar(c)) {
    if (IsAsciiDigit(c)) {
      mantissa = true;
      run += static_cast<char>(c);
    } else if (c == '.' && !point && !exponent) {
      point = true;
      run += '.';
    } else if ((c == 'e' || c == 'E') && !exponent && mantissa) {
      exponent = true;
      run += static_cast<char>(c);
      char32_t s;
      if (ReadChar(s)) {
        if (s == '+' || s == '-')
          run += static_cast<char>(s);
        else
          PutBack();
      }
    } else {
      PutBack();
      break;
    }
  }
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(run.c_str(), &end);
  if (run.empty() || end != run.c_str() + run.size()) {
    out = 0;
    failed_ = true;
    return false;
  }
  // Too large for a double: the stream stores the largest one and fails.
  if (errno == ERANGE && std::isinf(v)) {
    out = DBL_MAX;
    failed_ = true;
    return false;
  }
  out = v;
  return true;
}

int32_t ExpressionEvaluator::GetToken() {
  char32_t c;
  do {
    if (!ReadChar(c)) return currentToken_ = kEnd;
  } while (c != '\n' && IsCSpace(c));

  switch (c) {
    case '\n':
    case ';':
      return currentToken_ = kStatementEnd;
    case '(': case ')': case '*': case '+': case '-': case '/': case '=':
      return currentToken_ = static_cast<int32_t>(c);
    default:
      break;
  }
  if (c == '.' || IsAsciiDigit(c)) {
    PutBack();
    ReadNumber(numberValue_);
    return currentToken_ = kNumber;
  }
  if (IsAsciiLetter(c)) {
    nameText_.assign(1, c);
    while (ReadChar(c)) {
      if (!IsAsciiLetter(c) && !IsAsciiDigit(c)) {
        PutBack();
        break;
      }
      nameText_ += c;
    }
    return currentToken_ = kName;
  }
  ReportError("非法变量名");
  return currentToken_ = kStatementEnd;
}

double ExpressionEvaluator::Expression(bool get) {
  double value = Term(get);
  for (;;) {
    if (currentToken_ == '+')
      value += Term(true);
    else if (currentToken_ == '-')
      value -= Term(true);
    else
      return value;
  }
}

double ExpressionEvaluator::Term(bool get) {
  double value = Primary(get);
  for (;;) {
    if (currentToken_ == '*') {
      value *= Primary(true);
    } else if (currentToken_ == '/') {
      const double d = Primary(true);
      if (d == 0.0) {
        ReportError("除以0溢出");
        return 1;
      }
      value /= d;
    } else {
      return value;
    }
  }
}

double ExpressionEvaluator::Primary(bool get) {
  if (get) GetToken();
  struct DepthGuard {
    int& d;
    explicit DepthGuard(int& depth) : d(depth) { ++d; }
    ~DepthGuard() { --d; }
  } guard(depth_);
  if (depth_ > kMaxDepth) {
    ReportError("初等项异常");
    return 1;
  }
  switch (currentToken_) {
    case kNumber: {
      const double v = numberValue_;
      GetToken();
      return v;
    }
    case kName: {
      auto it = variables_.find(nameText_);
      if (it == variables_.end()) {
        ++errorCount_;
        it = variables_.emplace(nameText_, 0.0).first;
      }
      const std::u32string name = nameText_;
      if (GetToken() == '=') {
        const double v = Expression(true);
        variables_[name] = v;
        return v;
      }
      return it->second;
    }
    case '(': {
      const double e = Expression(true);
      if (currentToken_ != ')') {
        ReportError("没有匹配右括号");
        return 1;
      }
      GetToken();
      return e;
    }
    case '-':
      return -Primary(true);
    default:
      ReportError("初等项异常");
      return 1;
  }
}

void ExpressionEvaluator::ReportError(const char* message) {
  ++errorCount_;
  if (log_ && loggedErrors_ < kMaxLoggedErrors) {
    ++loggedErrors_;
    log_->WriteLog(LOG_DEBUG, std::string("错误: ") + message + " \n");
  }
}

double ExpressionEvaluator::Evaluate(const std::string& text) {
  input_ = DecodeUtf8(text);
  pos_ = 0;
  failed_ = false;
  errorCount_ = 0;
  loggedErrors_ = 0;
  depth_ = 0;
  double result = 0;
  while (pos_ < input_.size() && !failed_) {
    if (GetToken() == kEnd) break;
    if (currentToken_ != kStatementEnd) result = Expression(false);
  }
  failed_ = false;
  return result;
}

}  // namespace korvane
