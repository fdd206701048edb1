// korvane-cli diff, program and --json against the installed sample chips and
// the emulator.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "support/Simulator.h"
#include "support/TempDir.h"

extern char** environ;

namespace korvane {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

struct CliRun {
  int status = -1;
  std::string out, err;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ProductionTest : public testing::Test {
 protected:
  test::TempDir temp;
  std::vector<std::unique_ptr<test::SimProcess>> sims;
  const std::string chips = std::string(KORVANE_BIN_DIR) + "/xml/orvik/chips/";
  std::string project;

  void SetUp() override {
    fs::create_directories(temp / "config");
    // A project of its own, with its code file beside it.
    project = temp / "p.xml";
    ASSERT_EQ(Cli("new --chip KV3102 --function PB_2C1A -o " + project).status, 0);
  }

  // An emulator with lines programmers; their links.
  std::vector<std::string> StartSim(int lines = 1, std::vector<std::string> extra = {}) {
    auto sim = std::make_unique<test::SimProcess>();
    extra.insert(extra.end(), {"--chip-type", "0x3102"});
    EXPECT_TRUE(sim->StartProgrammers(lines, extra));
    sims.push_back(std::move(sim));
    return sims.back()->Links();
  }


  // The shell command line; exec makes korvane-cli the shell's own process.
  std::string Command(const std::string& args, bool exec = false) const {
    return "XDG_CONFIG_HOME=" + (temp / "config") + (exec ? " exec " : " ") + KORVANE_BIN_DIR + "/korvane-cli " + args;
  }

  // Runs korvane-cli with its own settings folder and stdin from input.
  CliRun Cli(const std::string& args, const std::string& input = "") {
    const std::string in = temp.File("stdin.txt", input), out = temp / "stdout.txt", err = temp / "stderr.txt";
    CliRun r;
    const int raw = std::system((Command(args) + " >" + out + " 2>" + err + " <" + in).c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = test::ReadText(out);
    r.err = test::ReadText(err);
    return r;
  }

  Json JsonOf(const CliRun& r) {
    Json doc = Json::parse(r.out, nullptr, false);
    EXPECT_FALSE(doc.is_discarded()) << r.out;
    return doc;
  }

  std::vector<Json> Records(const std::string& path) {
    std::vector<Json> records;
    for (const std::string& line : Lines(test::ReadText(path))) {
      records.push_back(Json::parse(line, nullptr, false));
      EXPECT_FALSE(records.back().is_discarded()) << line;
    }
    return records;
  }
};

// ---- diff ----------------------------------------------------------------------

TEST_F(ProductionTest, DiffOfTwoProjectsListsTheItemsThatDiffer) {
  const std::string other = temp / "q.xml";
  ASSERT_EQ(Cli("set " + project + " cfgVersion=7 ledBrightness=80 -o " + other).status, 0);
  const CliRun same = Cli("diff " + project + " " + project);
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, "");

  const CliRun diff = Cli("diff " + project + " " + other);
  EXPECT_EQ(diff.status, 4) << diff.err;
  EXPECT_EQ(Lines(diff.out), (std::vector<std::string>{"cfgVersion: 3 -> 7", "ledBrightness: 60 -> 80"}));

  const Json doc = JsonOf(Cli("diff --json " + project + " " + other));
  EXPECT_EQ(doc["differs"], true);
  ASSERT_EQ(doc["items"].size(), 2u);
  EXPECT_EQ(doc["items"][0]["name"], "cfgVersion");
  EXPECT_EQ(doc["items"][0]["caption"], "Config version");
  EXPECT_EQ(doc["items"][0]["project"], "3");
  EXPECT_EQ(doc["items"][0]["other"], "7");
}

TEST_F(ProductionTest, DiffRefusesWhatCannotBeCompared) {
  struct Case {
    std::string args;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {"diff " + project + " " + chips + "KV5210.xml", 1, "different chips or layouts"},
      {"diff " + project + " " + chips + "KV3102.xml", 0, ""},  // the installed description it was made from
      {"diff " + project + " " + (temp / "missing.xml"), 2, "missing.xml"},
      {"diff " + (temp / "missing.xml") + " " + project, 2, "missing.xml"},
      {"diff " + project + " " + project + " --port /dev/null", 1, "not both"},
      {"diff " + project + " --port " + (temp / "no-port"), 3, "no-port"},
  };
  for (const Case& c : cases) {
    const CliRun r = Cli(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_TRUE(Has(r.err, c.says)) << c.args << "\n" << r.err;
    if (c.status != 0 && c.status != 4) {
      EXPECT_EQ(r.out, "") << c.args;
    }
  }
}

TEST_F(ProductionTest, DiffWithTheDeviceNeverTouchesTheProject) {
  const std::string port = " --port " + StartSim()[0];
  ASSERT_EQ(Cli("download " + project + port).status, 0);
  const CliRun same = Cli("diff " + project + port);
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, "");

  const std::string other = temp / "q.xml";
  ASSERT_EQ(Cli("set " + project + " cfgVersion=7 -o " + other).status, 0);
  const std::string before = test::ReadText(other);
  const CliRun diff = Cli("diff " + other + port + " --target tool");
  EXPECT_EQ(diff.status, 4) << diff.err;
  EXPECT_EQ(diff.out, "cfgVersion: 7 -> 3\n");
  EXPECT_TRUE(Has(diff.err, "Read configuration from programmer")) << "the read's log goes to stderr";
  EXPECT_EQ(test::ReadText(other), before);

  // Bytes that belong to no item: the last byte of the conf area.
  ASSERT_EQ(Cli("read-area " + project + port + " --target tool --area conf -o " + (temp / "conf.bin")).status, 0);
  std::vector<uint8_t> conf = test::ReadBytes(temp / "conf.bin");
  ASSERT_EQ(conf.size(), 512u);
  conf.back() = 0x5A;
  test::WriteBytes(temp / "changed.bin", conf);
  ASSERT_EQ(Cli("write-area " + project + port + " --target tool --area conf -i " + (temp / "changed.bin")).status, 0);
  const CliRun loose = Cli("diff " + project + port);
  EXPECT_EQ(loose.status, 4);
  EXPECT_EQ(loose.out, "bytes 0xEDFF-0xEDFF: FF -> 5A\n");
  const Json doc = JsonOf(Cli("diff --json " + project + port));
  EXPECT_EQ(doc["other"], "tool");
  ASSERT_EQ(doc["bytes"].size(), 1u);
  EXPECT_EQ(doc["bytes"][0]["first"], "0x0000EDFF");
  EXPECT_EQ(doc["bytes"][0]["other"], "5A");
}

// ---- program -------------------------------------------------------------------

TEST_F(ProductionTest, ProgramABatchFromATableOverTwoProgrammers) {
  const auto links = StartSim(2);
  const std::string csv = temp.File("values.csv",
                                    "cfgVersion,ledMode\n"
                                    "10,Breath\n"
                                    "11\n"  // ragged: this unit fails, the others go on
                                    "12,Disco\n"
                                    "13,\n");
  const std::string record = temp / "units.jsonl";
  const CliRun r = Cli("program " + project + " --port " + links[0] + " --port " + links[1] + " --values " + csv +
                       " --serial pdSvid=0x1000:0x10 --serial serialTag=500 --record " + record);
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_TRUE(Has(r.err, "\n2 passed, 2 failed\n")) << r.err;
  EXPECT_TRUE(Has(r.err, "unit 1 on ")) << r.err;
  EXPECT_TRUE(Has(r.err, "line 3 has 1 values")) << r.err;
  EXPECT_TRUE(Has(r.err, "no option 'Disco'")) << r.err;

  const std::vector<Json> records = Records(record);
  ASSERT_EQ(records.size(), 4u);
  std::map<int, Json> byUnit;
  for (const Json& j : records) {
    for (const char* key :
         {"unit", "port", "values", "result", "message", "verified", "conf", "code", "option", "seconds", "time"})
      EXPECT_TRUE(j.contains(key)) << key << " in " << j.dump();
    byUnit[j["unit"].get<int>()] = j;
  }
  ASSERT_EQ(byUnit.size(), 4u) << "every unit once";
  EXPECT_EQ(byUnit[0]["values"],
            (Json{{"cfgVersion", "10"}, {"ledMode", "Breath"}, {"pdSvid", "0x1000"}, {"serialTag", "500"}}));
  EXPECT_EQ(byUnit[0]["result"], 0);
  EXPECT_EQ(byUnit[0]["verified"], true);
  EXPECT_EQ(byUnit[3]["values"]["pdSvid"], "0x1030");
  EXPECT_EQ(byUnit[3]["values"]["serialTag"], "503");
  EXPECT_EQ(byUnit[3]["values"].contains("ledMode"), false) << "an empty field leaves the item";
  EXPECT_EQ(byUnit[1]["verified"], false);
  EXPECT_EQ(byUnit[1]["result"], -1);
  EXPECT_NE(byUnit[0]["conf"], byUnit[3]["conf"]);
  EXPECT_EQ(byUnit[0]["code"], byUnit[3]["code"]);
  EXPECT_TRUE(byUnit[0]["time"].get<std::string>().ends_with("Z"));
  EXPECT_EQ(Cli("get " + project + " cfgVersion").out, "cfgVersion=3\n") << "the project file is never changed";

  // A second run appends to the record, each line whole even after a line
  // something else left unfinished.
  std::ofstream(record, std::ios::app) << "{\"unit\": 9";
  EXPECT_EQ(Cli("program " + project + " --port " + links[0] + " --record " + record).status, 0);
  const std::vector<std::string> lines = Lines(test::ReadText(record));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[4], "{\"unit\": 9");
  EXPECT_FALSE(Json::parse(lines[5], nullptr, false).is_discarded()) << lines[5];
}

TEST_F(ProductionTest, ProgramRefusesUnsoundOptionsBeforeAnyUnit) {
  const std::string csv = temp.File("bad.csv", "cfgVersion,,ledMode\n1,2,3\n");
  const std::string record = temp / "never.jsonl";
  const std::string port = " --port " + (temp / "no-port");
  struct Case {
    std::string args;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {"--serial noSuchItem=1", 1, "no item named 'noSuchItem'"},
      {"--serial sysInfo=1", 1, "is a group"},
      {"--serial serialTag", 1, "NAME=START"},
      {"--serial serialTag=1 --serial serialTag=5", 1, "twice"},
      {"--values " + csv, 1, "column 2 of the header"},
      {"--values " + (temp / "missing.csv"), 2, "missing.csv"},
      {"--wait --port " + (temp / "other"), 1, "--wait"},
      {"--count 0", 1, ""},
      {"--verify often", 1, ""},
      {"--record " + temp.Path(), 2, temp.Path()},
  };
  for (const Case& c : cases) {
    const CliRun r = Cli("program " + project + port + " " + c.args + (c.status == 2 ? "" : " --record " + record));
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_TRUE(Has(r.err, c.says)) << c.args << "\n" << r.err;
    EXPECT_FALSE(fs::exists(record)) << c.args;
  }
}

TEST_F(ProductionTest, ProgramOverAPortThatCannotBeOpenedRecordsTheUnitAsFailed) {
  const std::string record = temp / "units.jsonl";
  const CliRun r = Cli("program " + project + " --port " + (temp / "no-port") + " --count 2 --record " + record);
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(Has(r.err, "unit 0 on " + (temp / "no-port") + ": FAILED: cannot open port")) << r.err;
  EXPECT_TRUE(Has(r.err, "\n0 passed, 1 failed\n1 not programmed\n")) << r.err;
  const auto records = Records(record);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0]["result"], 1001);
}

TEST_F(ProductionTest, ProgramWaitsForEachUnitAndEndsWithItsInput) {
  const std::string port = " --port " + StartSim()[0];
  const CliRun r = Cli("program " + project + port + " --wait --count 3 --target tool", "\n");
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_TRUE(Has(r.err, "Insert unit 0 and press Enter\n")) << r.err;
  EXPECT_TRUE(Has(r.err, "Insert unit 1 and press Enter\n")) << r.err;
  EXPECT_FALSE(Has(r.err, "Insert unit 2")) << r.err;
  EXPECT_TRUE(Has(r.err, "\n1 passed, 0 failed\n2 not programmed\n")) << r.err;
  EXPECT_TRUE(Has(r.err, "Checksum comparison")) << "the tool is verified by its checksums: " << r.err;
}

TEST_F(ProductionTest, CtrlCCancelsTheRunningUnitAndRecordsIt) {
  const std::string link = StartSim(1, {"--baud", "57600"})[0];
  const std::string record = temp / "units.jsonl";
  const std::string cmd = Command("program " + project + " --port " + link + " --count 3 --record " + record, true) +
                          " 2>" + (temp / "stderr.txt");
  std::vector<std::string> args = {"/bin/sh", "-c", cmd};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  ::kill(pid, SIGINT);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  const std::string err = test::ReadText(temp / "stderr.txt");
  EXPECT_TRUE(Has(err, "\n0 passed, 1 failed\n2 not programmed\n")) << err;
  const auto records = Records(record);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0]["result"], 1005);
}

// ---- --json ----------------------------------------------------------------------

TEST_F(ProductionTest, JsonDocumentsOfTheReadingCommands) {
  const Json chipsDoc = JsonOf(Cli("chips --json"));
  ASSERT_TRUE(chipsDoc.is_array());
  EXPECT_EQ(chipsDoc[0]["chip"], "KV3102");
  EXPECT_EQ(chipsDoc[0]["functions"][0]["name"], "PB_2C1A");

  const Json info = JsonOf(Cli("info --json " + project));
  EXPECT_EQ(info["chip"], "KV3102");
  EXPECT_EQ(info["chipType"], "0x00003102");
  EXPECT_EQ(info["areas"]["conf"]["start"], "0x0000EC00");
  EXPECT_EQ(info["areas"]["conf"]["size"], 512);
  const Json sums = JsonOf(Cli("checksum --json " + project));
  EXPECT_EQ(info["checksums"], sums);
  EXPECT_EQ(sums["confSize"], 512);

  const Json values = JsonOf(Cli("get --json " + project + " cfgVersion ledMode"));
  EXPECT_EQ(values, (Json{{"cfgVersion", "3"}, {"ledMode", "Breath"}}));
  const CliRun missing = Cli("get --json " + (temp / "missing.xml"));
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "") << "errors stay on stderr";

  const std::string port = " --port " + StartSim()[0];
  ASSERT_EQ(Cli("download " + project + port).status, 0);
  const Json device = JsonOf(Cli("device-info --json --target tool " + project + port));
  EXPECT_EQ(device["target"], "tool");
  EXPECT_EQ(device["conf"], sums["conf"]);
  EXPECT_EQ(device["confSize"], 512);

  const Json verified = JsonOf(Cli("verify --json " + project + port));
  EXPECT_EQ(verified["match"], true);
  EXPECT_EQ(verified["areas"]["code"]["pc"], sums["code"]);
  const CliRun mismatch = Cli("verify --json " + project + port + " --code-file " + chips + "KV5210.hex");
  EXPECT_EQ(mismatch.status, 4);
  const Json differs = JsonOf(mismatch);
  EXPECT_EQ(differs["match"], false);
  EXPECT_EQ(differs["areas"]["code"]["match"], false);
  EXPECT_EQ(differs["areas"]["conf"]["match"], true);
}

}  // namespace
}  // namespace korvane
