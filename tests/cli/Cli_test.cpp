// Runs the built korvane-cli against a temporary installation and checks its
// output, files and exit statuses.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "../core/files/FilesTestUtil.h"
#include "support/TestChip.h"
#include "support/TempDir.h"
#include "core/files/CodeFile.h"
#include "core/files/HexExport.h"
#include "core/files/ImagePreparation.h"
#include "core/text/TextFormat.h"

namespace korvane {
namespace {
using test::ReadText;
using test::WriteText;

struct CliRun {
  int status = -1;
  std::string out, err;
};

class CliTest : public testing::Test {
 protected:
  test::TempDir dir;
  std::string base;
  void SetUp() override {
    test::InstallTestChip(dir.Path());
    base = dir.Path();
  }
  // Runs korvane-cli with args (already quoted where needed) and the test installation.
  CliRun Cli(const std::string& args, bool withBase = true) {
    CliRun r;
    const std::string out = dir / "stdout.txt", err = dir / "stderr.txt";
    const std::string cmd = std::string(KORVANE_BIN_DIR) + "/korvane-cli " + (withBase ? "--base-dir " + base + " " : "") +
                            args + " >" + out + " 2>" + err + " </dev/null";
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadText(out);
    r.err = ReadText(err);
    return r;
  }
  std::string Project() {
    const std::string p = dir / "proj.xml";
    if (!std::filesystem::exists(p)) {
      EXPECT_EQ(Cli("new --chip TCHIP --function PB1 -o " + p).status, 0);
    }
    return p;
  }
};

TEST_F(CliTest, ExitStatusesOfUsageAndFileErrors) {
  EXPECT_EQ(Cli("").status, 1) << "no command";
  EXPECT_EQ(Cli("frobnicate").status, 1);
  EXPECT_EQ(Cli("export").status, 1) << "missing arguments";
  EXPECT_EQ(Cli("chips --lang fr-fr").status, 1);
  EXPECT_EQ(Cli("export --help").status, 0);
  EXPECT_NE(Cli("export --help").out.find("--no-conf"), std::string::npos);
  for (const char* cmd : {"checksum", "get", "info"}) {
    const CliRun r = Cli(std::string(cmd) + " " + (dir / "missing.xml"));
    EXPECT_EQ(r.status, 2) << cmd;
    EXPECT_NE(r.err.find(dir / "missing.xml"), std::string::npos) << cmd << ": " << r.err;
  }
  EXPECT_EQ(Cli("export " + (dir / "missing.xml") + " -o " + (dir / "o.hex")).status, 2);
  EXPECT_EQ(Cli("export " + Project() + " -o " + (dir / "o.hex") + " --no-code --no-conf").status, 1);
  const CliRun noCode = Cli("checksum " + Project() + " --code-file " + (dir / "none.hex"));
  EXPECT_EQ(noCode.status, 2);
  EXPECT_NE(noCode.err.find(dir / "none.hex"), std::string::npos) << noCode.err;
  EXPECT_EQ(Cli("export " + Project() + " -o " + (dir / "no/such/dir.hex")).status, 2);
}

TEST_F(CliTest, GlobalOptionsGoBeforeOrAfterTheCommand) {
  EXPECT_EQ(Cli("chips --base-dir " + base, false).status, 0);
  EXPECT_EQ(Cli("--base-dir " + base + " chips", false).status, 0);
  EXPECT_EQ(Cli("--lang zh-cn chips").status, 0);
  EXPECT_EQ(Cli("chips --base-dir " + (dir / "nowhere"), false).status, 2);
}

TEST_F(CliTest, ChipsListsTheSupportedFunctionsWithTheirCategory) {
  const CliRun r = Cli("chips");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "TCHIP\n  PB1  Bank one (Power Bank)\n  ADP2  Adapter two (Adapter)\n  HUB3  Hub three (Hub)\n");
}

TEST_F(CliTest, NewSavesTheProjectAndCopiesTheCodeFileWithoutOverwriting) {
  WriteText(dir / "keep.hex", "mine");
  const CliRun r = Cli("new --chip TCHIP --function ADP2 -o " + (dir / "keep.xml"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadText(dir / "keep.hex"), "mine");
  EXPECT_NE(ReadText(dir / "keep.xml").find("select=\"ADP2\""), std::string::npos);
  ASSERT_EQ(Cli("new --chip TCHIP --function PB1 -o " + (dir / "fresh.xml")).status, 0);
  EXPECT_EQ(ReadText(dir / "fresh.hex"), test::kTestChipHex);

  EXPECT_EQ(Cli("new --chip NOPE --function PB1 -o " + (dir / "x.xml")).status, 1);
  EXPECT_EQ(Cli("new --chip TCHIP --function ADP3 -o " + (dir / "x.xml")).status, 1) << "not supported";
  const CliRun noElement = Cli("new --chip TCHIP --function HUB3 -o " + (dir / "x.xml"));
  EXPECT_EQ(noElement.status, 1);
  EXPECT_NE(noElement.err.find("HUB3"), std::string::npos);
  EXPECT_EQ(Cli("new --chip TCHIP --function PB1 -o " + (dir / "no/dir/x.xml")).status, 2);
  EXPECT_FALSE(std::filesystem::exists(dir / "x.xml"));
}

TEST_F(CliTest, GetPrintsValuesInTreeOrder) {
  const CliRun all = Cli("get " + Project());
  ASSERT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(all.out, "volt=5\namps=\n");
  const CliRun one = Cli("get " + Project() + " amps volt");
  EXPECT_EQ(one.out, "amps=\nvolt=5\n");
  const CliRun unknown = Cli("get " + Project() + " nope");
  EXPECT_EQ(unknown.status, 1);
  EXPECT_NE(unknown.err.find("nope"), std::string::npos);
  EXPECT_EQ(Cli("get " + Project() + " general").status, 1) << "a group";
}

TEST_F(CliTest, ChecksumPrintsThePcColumn) {
  const CliRun r = Cli("checksum " + Project());
  ASSERT_EQ(r.status, 0) << r.err;
  CoreContext ctx;
  ctx.baseDir = base + "/";
  ChipDescription desc(ctx);
  ASSERT_TRUE(desc.OpenDescription(Project(), nullptr));
  ASSERT_TRUE(PrepareImage(desc, false, GetCodeFilePath(desc), false));
  const auto& b = ctx.image.bytes;
  const std::string expected =
      StrFormat("conf 0x%08X\ncode 0x%08X\noption 0x%08X\nconf-size 512\ncode-size 512\noption-size 256\n",
                test::BitwiseCrc(b.data() + 0xEC00, 0x200), test::BitwiseCrc(b.data(), 0x200),
                test::BitwiseCrc(b.data() + 0x10000, 0x100));
  EXPECT_EQ(r.out, expected);
}

TEST_F(CliTest, InfoShowsChipAreasCodeFileAndChecksums) {
  const CliRun r = Cli("info " + Project());
  ASSERT_EQ(r.status, 0) << r.err;
  for (const std::string& part : std::vector<std::string>{"chip TCHIP\n", "function PB1\n", "conf-area 0x0000EC00 512\n",
                                 "code-file " + (dir / "proj.hex") + "\n", "code-size 512\n"})
    EXPECT_NE(r.out.find(part), std::string::npos) << part << " in\n" << r.out;
}

// The command line writes what the window's export writes right after the
// project was opened (and its checksums polled).
TEST_F(CliTest, ExportMatchesTheInProcessExportForEveryChoice) {
  const std::string project = Project();
  WriteText(dir / "other.hex", ":0400100001020304E2\r\n:00000001FF\r\n");
  struct Choice {
    std::string flags;
    bool code, conf;
    std::string codeFile;
  };
  for (const Choice& c : {Choice{"", true, true, ""}, Choice{"--no-code", false, true, ""},
                          Choice{"--no-conf", true, false, ""}, Choice{"--code-file " + (dir / "other.hex"), true, true, dir / "other.hex"},
                          Choice{"--no-code --code-file " + (dir / "other.hex"), false, true, dir / "other.hex"}}) {
    const std::string out = dir / "cli.hex";
    WriteText(out, std::string(50000, 'x'));  // replaced
    const CliRun r = Cli("export " + project + " -o " + out + " " + c.flags);
    ASSERT_EQ(r.status, 0) << c.flags << ": " << r.err;

    CoreContext ctx;
    ctx.baseDir = base + "/";
    ChipDescription desc(ctx);
    ASSERT_TRUE(desc.OpenDescription(project, nullptr));
    PrepareImage(desc, false, GetCodeFilePath(desc), false);
    const std::string codePath = c.codeFile.empty() ? GetCodeFilePath(desc) : c.codeFile;
    ASSERT_TRUE(ExportHex(desc, c.code, c.conf, codePath, dir / "gui.hex"));
    EXPECT_EQ(ReadText(out), ReadText(dir / "gui.hex")) << c.flags;
  }
  // Without the code area the block still carries the code length of the project's own file.
  ASSERT_EQ(Cli("export " + project + " -o " + (dir / "c.hex") + " --no-code").status, 0);
  const auto hex = test::ParseStrictHex(ReadText(dir / "c.hex"));
  ASSERT_TRUE(hex.ok) << hex.error;
  EXPECT_EQ(hex.bytes.at(0xEE12), 0x02);
  EXPECT_EQ(hex.bytes.at(0xEE13), 0x00);
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

// set works on the shipped chips, whose triggers and ranges it goes through.
class CliSetTest : public CliTest {
 protected:
  void SetUp() override {
    base = KORVANE_BIN_DIR;
    project = dir / "bank.xml";
    ASSERT_EQ(Cli("new --chip KV3102 --function PB_2C1A -o " + project).status, 0);
  }
  std::string project;
};

TEST_F(CliSetTest, ATriggerEnablesWhatCouldNotBeSetBefore) {
  const std::string before = ReadText(project);
  const CliRun refused = Cli("set " + project + " 'ledBlinkRate=2 Hz'");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("ledBlinkRate"), std::string::npos) << refused.err;
  EXPECT_EQ(ReadText(project), before) << "a refused set saves nothing";

  const CliRun r = Cli("set " + project + " ledMode=Blink 'ledBlinkRate=1 Hz'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Cli("get " + project + " ledMode ledBlinkRate").out, "ledMode=Blink\nledBlinkRate=1 Hz\n");
}

TEST_F(CliSetTest, OutOfRangeValuesBecomeTheMaximumWithAWarning) {
  const CliRun r = Cli("set " + project + " pdoCount=9");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("warning: pdoCount:"), std::string::npos) << r.err;
  EXPECT_EQ(Cli("get " + project + " pdoCount").out, "pdoCount=5\n");
}

TEST_F(CliSetTest, SavesToAnotherFileWithItsCodeFile) {
  const std::string before = ReadText(project);
  ASSERT_EQ(Cli("set " + project + " tempOffset=-2 -o " + (dir / "copy.xml")).status, 0);
  EXPECT_EQ(ReadText(project), before);
  EXPECT_EQ(Cli("get " + (dir / "copy.xml") + " tempOffset").out, "tempOffset=-2\n");
  EXPECT_EQ(ReadText(dir / "copy.hex"), ReadText(dir / "bank.hex"));
}

TEST_F(CliSetTest, RefusesBadAssignmentsAndReportsUnwritableTargets) {
  for (const char* bad : {"ledMode", "=1", "nosuchitem=1", "ledMode=Sparkle", "pdoCount=abc", "pdSettings=1"}) {
    const CliRun r = Cli("set " + project + " '" + bad + "'");
    EXPECT_EQ(r.status, 1) << bad;
    EXPECT_FALSE(r.err.empty()) << bad;
  }
  const CliRun r = Cli("set " + project + " pdoCount=2 -o " + (dir / "no/dir/x.xml"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(dir / "no/dir/x.xml"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace korvane
