#include "core/files/AreaChoice.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace korvane {
namespace {

TEST(AreaChoice, AnAreaFirstThenTheCodeFileWhenCodeIsChosen) {
  test::TempDir dir;
  const std::string present = dir / "code.hex";
  test::WriteText(present, ":00000001FF\r\n");
  const std::string missing = dir / "none.hex";
  const std::string folder = dir.Path();
  const struct {
    bool conf, code;
    const std::string* path;
    AreaChoiceProblem problem;
  } cases[] = {
      {false, false, &present, AreaChoiceProblem::NoArea},
      {false, false, nullptr, AreaChoiceProblem::NoArea},
      {true, false, &missing, AreaChoiceProblem::None},  // no code, no file needed
      {true, true, &missing, AreaChoiceProblem::NoCodeFile},
      {false, true, &folder, AreaChoiceProblem::NoCodeFile},
      {false, true, &present, AreaChoiceProblem::None},
      {true, true, nullptr, AreaChoiceProblem::None},  // the file is checked later
  };
  for (const auto& c : cases)
    EXPECT_EQ(CheckAreaChoice(c.conf, c.code, c.path), c.problem) << c.conf << c.code << (c.path ? *c.path : "-");
}

}  // namespace
}  // namespace korvane
