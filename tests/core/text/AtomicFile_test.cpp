#include "core/text/AtomicFile.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "support/WriteLimit.h"

namespace korvane {
namespace {
using test::FolderEntries;
using test::ReadText;
using test::ScopedWriteLimit;
using test::TempDir;

TEST(AtomicFile, ReplacesTheWholeFileKeepingItsPermissionsAndFollowingLinks) {
  TempDir dir;
  const std::string path = dir.File("out.bin", "old contents");
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(ReplaceFileAtomically(path, std::string("new\0bytes", 9)));
  EXPECT_EQ(ReadText(path), std::string("new\0bytes", 9));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  std::filesystem::create_symlink("out.bin", dir.Path("link.bin"));
  ASSERT_TRUE(ReplaceFileAtomically(dir.Path("link.bin"), ""));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.bin")));
  EXPECT_EQ(ReadText(path), "");

  ASSERT_TRUE(ReplaceFileAtomically(dir.Path("fresh.bin"), "x"));
  EXPECT_EQ(ReadText(dir.Path("fresh.bin")), "x");
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"fresh.bin", "link.bin", "out.bin"}));
}

// A write that fails half-way (a full disk) or a rename that cannot happen
// leaves the old file as it was and no temporary file beside it.
TEST(AtomicFile, AnInterruptedWriteKeepsTheOldFile) {
  TempDir dir;
  const std::string old(100, 'o');
  const std::string path = dir.File("out.hex", old);
  {
    ScopedWriteLimit full(10);
    EXPECT_FALSE(ReplaceFileAtomically(path, std::string(4096, 'n')));
  }
  EXPECT_EQ(ReadText(path), old);
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"out.hex"}));

  std::filesystem::create_directories(dir.Path("taken/inside"));  // a folder the rename cannot replace
  EXPECT_FALSE(ReplaceFileAtomically(dir.Path("taken"), "bytes"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path("taken/inside")));
  EXPECT_FALSE(ReplaceFileAtomically(dir.Path("no/such/folder/out.hex"), "bytes"));
  EXPECT_FALSE(ReplaceFileAtomically("", "bytes"));
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"out.hex", "taken"}));
}

}  // namespace
}  // namespace korvane
