#include "core/eval/ExpressionEvaluator.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "core/text/LogFile.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

struct Case {
  const char* text;
  double value;     // the variable "value"
  double expected;
  int errors;       // -1: not checked
};

class ExpressionTable : public ::testing::TestWithParam<Case> {};

TEST_P(ExpressionTable, Evaluates) {
  const Case& c = GetParam();
  ExpressionEvaluator e;
  e.SetVariable("value", c.value);
  EXPECT_DOUBLE_EQ(e.Evaluate(c.text), c.expected) << c.text;
  if (c.errors >= 0) {
    EXPECT_EQ(e.ErrorCount(), c.errors) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpressionTable,
    ::testing::Values(
        Case{"", 5, 0, 0}, Case{" \t ;;\n; ", 5, 0, 0},
        Case{"value*2+1", 5, 11, 0}, Case{"1+2*3", 0, 7, 0}, Case{"10-4-3", 0, 3, 0},
        Case{"2*3/4", 0, 1.5, 0}, Case{"-value*2", 3, -6, 0}, Case{"2*-3", 0, -6, 0},
        Case{"(value-1)/2", 4, 1.5, 0}, Case{"(value-1", 4, 1, 1},
        Case{"value/0", 7, 1, 1}, Case{"value+6/0", 7, 8, 1}, Case{"value/-0", 7, 1, 1},
        Case{"2*value/0", 7, 1, 1},
        Case{"2*value/0*100", 7, 100, 1},  // the '*' left behind is dropped, '100' is the next statement
        Case{"x", 0, 0, 1}, Case{"0x10", 0, 0, 0}, Case{"value_1", 9, 1, 1},
        Case{"+1", 0, 2, 1}, Case{"a=3; a*a", 0, 9, 1}, Case{"value=value*2; value+1", 5, 11, 0},
        Case{"a = b = 3; a+b", 0, 6, 2}, Case{"Value", 5, 0, 1},
        Case{"1;\rvalue*2", 4, 8, 0}, Case{"1\nvalue*2", 4, 8, 0}, Case{"value;", 4, 4, 0},
        Case{"1; value*2", 4, 8, 0}, Case{")", 0, 1, 1}, Case{"1.5e1+.5", 0, 15.5, 0},
        Case{"值", 0, 0, 1},          // every character above 127 starts no token
        Case{"1e", 0, 0, -1},         // an unfinished exponent fails the reader: 0
        Case{"1e999; 5", 0, 1.7976931348623157e308, -1}));  // so does an overflow, which ends the input

TEST(ExpressionEvaluator, StrayTokenLeftByAStatementStartsTheNext) {
  // After '3' the number token '4' ended the expression; the loop's next read
  // discards it, so nothing follows and 3 stays the result.
  ExpressionEvaluator e;
  EXPECT_DOUBLE_EQ(e.Evaluate("3 4"), 3);
  EXPECT_DOUBLE_EQ(e.Evaluate("3 4 5"), 5);
}

TEST(ExpressionEvaluator, VariablesLiveForOneEvaluatorOnly) {
  ExpressionEvaluator first;
  EXPECT_DOUBLE_EQ(first.Evaluate("k=4"), 4);
  EXPECT_DOUBLE_EQ(first.Evaluate("k"), 4);
  ExpressionEvaluator second;
  EXPECT_DOUBLE_EQ(second.Evaluate("k"), 0);
}

TEST(ExpressionEvaluator, TruncationToInt32) {
  EXPECT_EQ(TruncateToInt32(1.9), 1);
  EXPECT_EQ(TruncateToInt32(-1.9), -1);
  EXPECT_EQ(TruncateToInt32(2147483647.5), 2147483647);
  EXPECT_EQ(TruncateToInt32(-2147483648.9), INT32_MIN);
  EXPECT_EQ(TruncateToInt32(2147483648.0), INT32_MIN);
  EXPECT_EQ(TruncateToInt32(-2147483649.0), INT32_MIN);
  EXPECT_EQ(TruncateToInt32(std::nan("")), INT32_MIN);
  EXPECT_EQ(TruncateToInt32(INFINITY), INT32_MIN);
  EXPECT_EQ(EvaluateConversion("value*10", 5, nullptr), 50);
  EXPECT_EQ(EvaluateConversion("value/10", 55, nullptr), 5);
  EXPECT_EQ(EvaluateConversion("value*value*value*value", 4e9, nullptr), INT32_MIN);
}

TEST(ExpressionEvaluator, DeepNestingIsAnErrorNotACrash) {
  for (const char* open : {"(", "-", "a="}) {
    std::string text;
    for (int i = 0; i < 10000; ++i) text += open;
    text += "1";
    ExpressionEvaluator e;
    const double v = e.Evaluate(text);
    EXPECT_TRUE(std::isfinite(v)) << open;
    EXPECT_GT(e.ErrorCount(), 0) << open;
  }
  // Within the limit nesting works as usual.
  std::string ok = std::string(200, '(') + "2" + std::string(200, ')') + "*3";
  ExpressionEvaluator e;
  EXPECT_DOUBLE_EQ(e.Evaluate(ok), 6);
  EXPECT_EQ(e.ErrorCount(), 0);
}

TEST(ExpressionEvaluator, RandomBytesNeverFail) {
  std::mt19937 rng(20261210);
  const std::string alphabet = "()+-*/=;\n .0123456789eEvalue_x\xE5\x80\xBC\xFF\x80";
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int n = static_cast<int>(rng() % 64);
    for (int i = 0; i < n; ++i)
      text += (rng() % 4 == 0) ? static_cast<char>(rng() & 0xFF) : alphabet[rng() % alphabet.size()];
    ExpressionEvaluator e;
    e.SetVariable("value", 3);
    (void)TruncateToInt32(e.Evaluate(text));
  }
}

TEST(ExpressionEvaluator, ErrorLinesGoToTheLog) {
  const test::TempDir dir;
  const std::string path = dir / "eval.log";
  LogFile log(LogSettings{path, LOG_DEBUG, 1024, 1});
  ExpressionEvaluator e(&log);
  e.Evaluate("value/0");
  e.Evaluate("(1");
  e.Evaluate("_");
  e.Evaluate(")");
  const std::string text = test::ReadText(path);
  for (const char* message : {"错误: 除以0溢出 \n", "错误: 没有匹配右括号 \n", "错误: 非法变量名 \n", "错误: 初等项异常 \n"})
    EXPECT_NE(text.find(message), std::string::npos) << message;
}

}  // namespace
}  // namespace korvane
