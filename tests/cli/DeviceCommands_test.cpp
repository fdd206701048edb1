// korvane-cli's device commands against the emulator on a pseudo-terminal.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/Simulator.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status = -1;
  std::string out, err;
};

std::string Slurp(const fs::path& path) { return test::ReadText(path.string()); }

class DeviceCommandsTest : public testing::Test {
 protected:
  test::TempDir temp;
  fs::path dir = temp.Path();
  std::unique_ptr<test::SimProcess> sim;
  std::string project = std::string(KORVANE_BIN_DIR) + "/xml/orvik/chips/KV3102.xml";

  void SetUp() override { fs::create_directories(dir / "config"); }
  void TearDown() override { sim.reset(); }

  void StartSim(std::vector<std::string> extra = {}) {
    extra.insert(extra.end(), {"--chip-type", "0x3102"});
    sim = std::make_unique<test::SimProcess>();
    ASSERT_TRUE(sim->Start(extra));
  }
  std::string Port() const { return " --port " + sim->Link(); }

  // Runs korvane-cli with its own settings folder, so no saved port leaks in.
  CliRun Cli(const std::string& args) {
    CliRun r;
    const fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
    const std::string cmd = "XDG_CONFIG_HOME=" + (dir / "config").string() + " " + KORVANE_BIN_DIR +
                            "/korvane-cli " + args + " >" + out.string() + " 2>" + err.string() + " </dev/null";
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
  }
};

TEST_F(DeviceCommandsTest, DownloadVerifyAndTheDeviceRecord) {
  StartSim();
  const CliRun download = Cli("download " + project + Port());
  ASSERT_EQ(download.status, 0) << download.err;
  EXPECT_NE(download.err.find("] "), std::string::npos) << "time-stamped log lines on stderr";

  EXPECT_EQ(Cli("verify " + project + Port()).status, 0);
  const std::string otherCode = std::string(KORVANE_BIN_DIR) + "/xml/orvik/chips/KV5210.hex";
  const CliRun mismatch = Cli("verify " + project + Port() + " --code-file " + otherCode);
  EXPECT_EQ(mismatch.status, 4) << mismatch.err;
  EXPECT_EQ(Cli("verify " + project + Port() + " --no-code --code-file " + otherCode).status, 0)
      << "the configuration alone still matches";

  const CliRun info = Cli("device-info --target tool " + project + Port());
  ASSERT_EQ(info.status, 0) << info.err;
  std::istringstream lines(info.out);
  std::string line;
  std::vector<std::string> keys;
  while (std::getline(lines, line)) keys.push_back(line.substr(0, line.find(' ')));
  EXPECT_EQ(keys, (std::vector<std::string>{"conf", "code", "option", "conf-size", "code-size", "option-size"}));
  EXPECT_NE(info.out.find("conf-size 512\n"), std::string::npos) << info.out;
}

TEST_F(DeviceCommandsTest, AreasRoundTripAndWritesAreCappedAtTheAreaSize) {
  StartSim();
  std::string bytes(600, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 5);
  std::ofstream((dir / "in.bin").string(), std::ios::binary) << bytes;
  const CliRun write = Cli("write-area " + project + Port() + " --target chip --area conf -i " + (dir / "in.bin").string());
  ASSERT_EQ(write.status, 0) << write.err;
  const CliRun read = Cli("read-area " + project + Port() + " --target chip --area conf -o " + (dir / "out.bin").string());
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(Slurp(dir / "out.bin"), bytes.substr(0, 512));
  // The tool's own memory was not touched.
  ASSERT_EQ(Cli("read-area " + project + Port() + " --target tool --area conf -o " + (dir / "tool.bin").string()).status, 0);
  EXPECT_EQ(Slurp(dir / "tool.bin"), std::string(512, '\xFF'));
  // A target the read cannot replace: the path is named and what is there stays.
  std::filesystem::create_directories(dir / "taken" / "x");
  const CliRun refused = Cli("read-area " + project + Port() + " --target chip --area conf -o " + (dir / "taken").string());
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("cannot write " + (dir / "taken").string()), std::string::npos) << refused.err;
  EXPECT_TRUE(std::filesystem::is_directory(dir / "taken" / "x"));
}

// The code area goes out with its option bytes, and those are the project's.
TEST_F(DeviceCommandsTest, WritingTheCodeAreaSendsTheProjectsOptionBytes) {
  StartSim();
  ASSERT_EQ(Cli("download " + project + Port() + " --target chip").status, 0);
  ASSERT_EQ(Cli("read-area " + project + Port() + " --target chip --area option -o " + (dir / "own.bin").string()).status, 0);
  const std::string own = Slurp(dir / "own.bin");
  ASSERT_EQ(own.substr(0, 4), "\x5A\x3C\xA5\xC3");

  std::ofstream((dir / "code.bin").string(), std::ios::binary) << std::string(1024, '\x11');
  const CliRun write = Cli("write-area " + project + Port() + " --target tool --area code -i " + (dir / "code.bin").string());
  ASSERT_EQ(write.status, 0) << write.err;
  ASSERT_EQ(Cli("read-area " + project + Port() + " --target tool --area option -o " + (dir / "tool.bin").string()).status, 0);
  EXPECT_EQ(Slurp(dir / "tool.bin"), own);
  ASSERT_EQ(Cli("read-area " + project + Port() + " --target tool --area code -o " + (dir / "back.bin").string()).status, 0);
  EXPECT_EQ(Slurp(dir / "back.bin").substr(0, 1024), std::string(1024, '\x11'));
}

TEST_F(DeviceCommandsTest, ReadSavesTheItemsAndBurnConfigEditsTheMask) {
  StartSim();
  ASSERT_EQ(Cli("download " + project + Port() + " --target chip").status, 0);
  const CliRun read = Cli("read " + project + Port() + " --target chip -o " + (dir / "back.xml").string());
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_NE(Slurp(dir / "back.xml").find("<config"), std::string::npos);

  const CliRun shown = Cli("burn-config" + Port());
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(shown.out, "mask 0x07\ncode on\nconf on\n");
  EXPECT_EQ(Cli("burn-config --conf" + Port()).status, 0);
  EXPECT_EQ(Cli("burn-config" + Port()).out, "mask 0x02\ncode off\nconf on\n");
}

// The last line of stderr, time stamp and all.
std::string LastLine(const std::string& text) {
  const size_t end = text.find_last_not_of('\n');
  if (end == std::string::npos) return std::string();
  const size_t start = text.rfind('\n', end);
  return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
}

// A comparison that finds differences says so on its last line and exits 4;
// a read that fails outranks it with exit 3 and its error and code.
TEST_F(DeviceCommandsTest, VerifyEndsWithItsVerdict) {
  StartSim({"--fault", "badcheck:10:2"});
  ASSERT_EQ(Cli("download " + project + Port()).status, 0);
  const std::string otherCode = std::string(KORVANE_BIN_DIR) + "/xml/orvik/chips/KV5210.hex";

  const CliRun failed = Cli("--lang en-us verify " + project + Port() + " --code-file " + otherCode);
  EXPECT_EQ(failed.status, 3) << failed.err;
  EXPECT_TRUE(LastLine(failed.err).ends_with("Checksum comparison，Wrong check byte in the programmer's answer (result 1004)"))
      << failed.err;
  // Every line that names the failure carries its number, the area's too.
  {
    std::istringstream lines(failed.err);
    int named = 0;
    for (std::string line; std::getline(lines, line);) {
      if (line.find("Wrong check byte") == std::string::npos) continue;
      ++named;
      EXPECT_TRUE(line.ends_with("(result 1004)")) << line;
    }
    EXPECT_EQ(named, 2) << failed.err;
  }

  const CliRun differ = Cli("--lang en-us verify " + project + Port() + " --code-file " + otherCode);
  EXPECT_EQ(differ.status, 4) << differ.err;
  EXPECT_TRUE(LastLine(differ.err).ends_with("Checksum comparison，Checksums differ: code, option")) << differ.err;

  const CliRun same = Cli("--lang en-us verify " + project + Port());
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_TRUE(LastLine(same.err).ends_with("Checksum comparison，Success")) << same.err;
}

TEST_F(DeviceCommandsTest, PortsComeFromTheSavedSettingsWhenNotGiven) {
  StartSim();
  EXPECT_EQ(Cli("device-info --target tool").status, 1) << "no port given and none saved";
  fs::create_directories(dir / "config" / "Korvane");
  std::ofstream((dir / "config" / "Korvane" / "Korvane.ini").string())
      << "[Port]\nValue=" << sim->Link() << "\n[Baudrate]\nValue=57600\n";
  const CliRun info = Cli("device-info --target chip");
  EXPECT_EQ(info.status, 0) << info.err;
}

TEST_F(DeviceCommandsTest, ExitStatusesOfFailures) {
  StartSim({"--fault", "status:4"});
  EXPECT_EQ(Cli("download " + project + " --port " + (dir / "none").string()).status, 3) << "port cannot be opened";
  EXPECT_EQ(Cli("download " + (dir / "missing.xml").string() + Port()).status, 2);
  EXPECT_EQ(Cli("download " + project + Port() + " --no-code --no-conf").status, 1);
  EXPECT_EQ(Cli("download " + project + Port() + " --target both").status, 1);
  EXPECT_EQ(Cli("download " + project + Port() + " --code-file " + (dir / "none.hex").string()).status, 2);
  const CliRun failed = Cli("download " + project + Port());
  EXPECT_EQ(failed.status, 3);
  EXPECT_NE(failed.err.find("，"), std::string::npos) << failed.err;
  EXPECT_NE(failed.err.find("Programmer error, status 33 (result 33)\n"), std::string::npos)
      << "scripts get the number beside the text: " << failed.err;
  EXPECT_EQ(Cli("write-area " + project + Port() + " --target tool --area code -i " + (dir / "none.bin").string()).status, 2);
  EXPECT_EQ(Cli("ports").status, 0);
}

}  // namespace
}  // namespace korvane
