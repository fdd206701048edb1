// Production batches against the emulator: several programmers side by side,
// every unit taken once, values of its own per unit, verification by bytes
// and by checksums, and the ways units and programmers fail.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "core/eval/ItemBehaviours.h"
#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "link/BatchRunner.h"
#include "link/LinkTypes.h"
#include "support/RecordingMessageBox.h"
#include "support/Simulator.h"

namespace korvane {
namespace {

class BatchRunnerTest : public testing::Test {
 protected:
  void SetUp() override {
    ctx.baseDir = std::string(KORVANE_BIN_DIR) + "/";
    ctx.language = LanguageTable::Embedded("en-us");
    ctx.messageBox = &box;
    InstallItemBehaviours(ctx);
    ASSERT_TRUE(project.OpenDescription(ctx.ChipsDir() + "KV3102.xml", nullptr));
  }

  // Starts an emulator playing lines programmers; their links.
  std::vector<std::string> StartSim(int lines = 1, std::vector<std::string> extra = {}) {
    auto sim = std::make_unique<test::SimProcess>();
    extra.insert(extra.end(), {"--chip-type", "0x3102"});
    EXPECT_TRUE(sim->StartProgrammers(lines, extra));
    sims.push_back(std::move(sim));
    return sims.back()->Links();
  }

  static PortSettings Port(const std::string& name) {
    PortSettings s;
    s.portName = name;
    return s;
  }

  // Runs the plan over the ports; the outcomes by unit.
  BatchSummary Run(BatchPlan plan, const std::vector<std::string>& ports,
                   const std::function<void(BatchRunner&)>& meanwhile = {}) {
    BatchRunner runner(project, std::move(plan));
    for (const std::string& port : ports) runner.AddProgrammer(Port(port), nullptr);
    runner.onUnitDone = [this](const UnitOutcome& o) {
      std::lock_guard<std::mutex> guard(lock);
      EXPECT_EQ(outcomes.count(o.unit), 0u) << "unit " << o.unit << " finished twice";
      outcomes[o.unit] = o;
      return true;
    };
    runner.onProgrammerLost = [this](const std::string& port, const std::string&) {
      std::lock_guard<std::mutex> guard(lock);
      lost.push_back(port);
    };
    std::thread side;
    if (meanwhile) side = std::thread([&] { meanwhile(runner); });
    const BatchSummary summary = runner.Run();
    if (side.joinable()) side.join();
    return summary;
  }

  static BatchPlan Plan(int units, std::function<UnitPlan(int)> planOf = {}) {
    BatchPlan plan;
    plan.unitCount = units;
    plan.planOf = std::move(planOf);
    return plan;
  }

  std::string Value(int unit, const std::string& name) {
    for (const UnitValue& v : outcomes[unit].values)
      if (v.name == name) return v.text;
    return "(none)";
  }

  CoreContext ctx;
  test::RecordingMessageBox box;
  ChipDescription project{ctx};
  std::vector<std::unique_ptr<test::SimProcess>> sims;
  std::mutex lock;
  std::map<int, UnitOutcome> outcomes;
  std::vector<std::string> lost;
};

TEST_F(BatchRunnerTest, SeveralProgrammersProgramEveryUnitOnceWithItsOwnValues) {
  const auto links = StartSim(3);
  UnitValueTable values;
  std::string why;
  ASSERT_TRUE(values.AddSeries(*ParseSerialSeries("serialTag=1000", why), why));
  const BatchSummary summary = Run(Plan(9, [&](int unit) { return values.PlanOf(unit); }), links);
  EXPECT_EQ(summary.passed, 9);
  EXPECT_EQ(summary.failed, 0);
  EXPECT_EQ(summary.notProgrammed, 0);
  ASSERT_EQ(outcomes.size(), 9u);
  std::set<std::string> ports;
  std::set<uint32_t> confSums;
  for (auto& [unit, o] : outcomes) {
    EXPECT_TRUE(o.passed && o.verified) << unit << ": " << o.message;
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(Value(unit, "serialTag"), std::to_string(1000 + unit));
    ports.insert(o.port);
    confSums.insert(o.conf);
  }
  EXPECT_GE(ports.size(), 2u) << "the units went to whichever programmer was free";
  EXPECT_EQ(confSums.size(), 9u) << "each unit's conf area carries its own serial number";
  EXPECT_EQ(FindItem(nullptr, project.root.get(), "serialTag")->value, "12345678") << "the project stays as it was";
  EXPECT_EQ(project.modified, 0);
}

TEST_F(BatchRunnerTest, AReadBackThatDiffersFailsThatUnitOnly) {
  struct Case {
    VerifyMode verify;
    TargetKind target;
    const char* fault;  // the flip hits the first verification's first answer
    const char* says;
  };
  const Case cases[] = {
      {VerifyMode::Bytes, TargetKind::Chip, "flip:3:1", "the chip's conf area differs from what was written at 0xEC00"},
      {VerifyMode::Sums, TargetKind::Tool, "flip:10:1", "checksums differ from what was sent: conf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    outcomes.clear();
    sims.clear();
    const auto links = StartSim(1, {"--fault", c.fault});
    BatchPlan plan = Plan(2);
    plan.verify = c.verify;
    plan.target = c.target;
    const BatchSummary summary = Run(plan, links);
    EXPECT_EQ(summary.passed, 1);
    EXPECT_EQ(summary.failed, 1);
    const UnitOutcome& bad = outcomes[0];
    EXPECT_FALSE(bad.passed);
    EXPECT_FALSE(bad.verified);
    EXPECT_EQ(bad.result, 0) << "the operations went through; the verification found the difference";
    EXPECT_NE(bad.message.find(c.says), std::string::npos) << bad.message;
    EXPECT_TRUE(outcomes[1].passed) << outcomes[1].message;
  }
}

TEST_F(BatchRunnerTest, UnitsWhoseValuesAreRefusedFailBeforeAnythingIsWritten) {
  const std::map<int, UnitPlan> plans = {
      {0, {{{"cfgVersion", "120"}}, ""}},          // the range check would make it 99
      {1, {{{"ledMode", "Disco"}}, ""}},           // no such option
      {2, {{{"serialTag", "4294967296"}}, ""}},    // past its 32 bits
      {3, {{}, "values.csv line 6 has 1 values, its header names 2 items"}},
      {4, {{{"cfgVersion", "42"}}, ""}},
  };
  // The port does not exist: a refused unit never gets as far as opening it.
  const BatchSummary summary = Run(Plan(5, [&](int unit) { return plans.at(unit); }), {"/nonexistent/port"});
  EXPECT_EQ(summary.failed, 5);
  for (int unit : {0, 1, 2, 3}) {
    ASSERT_TRUE(outcomes.count(unit)) << unit;
    EXPECT_EQ(outcomes[unit].result, kUnitRefused) << unit << ": " << outcomes[unit].message;
    EXPECT_FALSE(outcomes[unit].passed);
  }
  EXPECT_NE(outcomes[0].message.find("1 ~ 99"), std::string::npos) << outcomes[0].message;
  EXPECT_NE(outcomes[1].message.find("'Disco'"), std::string::npos) << outcomes[1].message;
  EXPECT_NE(outcomes[2].message.find("32-bit"), std::string::npos) << outcomes[2].message;
  EXPECT_EQ(outcomes[3].message, plans.at(3).problem);
  EXPECT_EQ(outcomes[4].result, kLinkPortNotOpen) << "unit 4 was sound and reached the port";
  EXPECT_EQ(lost, std::vector<std::string>{"/nonexistent/port"});
}

TEST_F(BatchRunnerTest, AProgrammerThatCannotBeOpenedFailsOneUnitAndTheOthersGoOn) {
  auto links = StartSim(1);
  links.insert(links.begin(), "/nonexistent/port");
  const BatchSummary summary = Run(Plan(4), links);
  EXPECT_EQ(summary.failed, 1);
  EXPECT_EQ(summary.passed, 3);
  int failedOnBadPort = 0;
  for (auto& [unit, o] : outcomes)
    if (!o.passed) {
      ++failedOnBadPort;
      EXPECT_EQ(o.port, "/nonexistent/port");
      EXPECT_EQ(o.result, kLinkPortNotOpen);
      EXPECT_NE(o.message.find("/nonexistent/port"), std::string::npos) << o.message;
    }
  EXPECT_EQ(failedOnBadPort, 1);
}

TEST_F(BatchRunnerTest, AProgrammerThatVanishesTakesNoMoreUnits) {
  const auto slow = StartSim(1, {"--baud", "57600"});
  const auto fast = StartSim(1);
  test::SimProcess* slowSim = sims[0].get();
  const BatchSummary summary = Run(Plan(6), {slow[0], fast[0]}, [&](BatchRunner&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    slowSim->Stop();  // unplugged in the middle of its first unit
  });
  EXPECT_EQ(summary.passed + summary.failed, 6) << "every unit was programmed once";
  EXPECT_EQ(summary.failed, 1);
  for (auto& [unit, o] : outcomes) {
    if (o.port == slow[0]) {
      EXPECT_FALSE(o.passed) << unit;
    } else {
      EXPECT_TRUE(o.passed) << unit << ": " << o.message;
    }
  }
  EXPECT_EQ(lost, std::vector<std::string>{slow[0]});
}

TEST_F(BatchRunnerTest, AStopCancelsTheRunningUnitAndStartsNoMore) {
  const auto links = StartSim(1, {"--baud", "57600"});
  const BatchSummary summary = Run(Plan(5), links, [](BatchRunner& runner) {
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    runner.RequestStop();
  });
  EXPECT_EQ(summary.failed, 1);
  EXPECT_EQ(summary.passed, 0);
  EXPECT_EQ(summary.notProgrammed, 4);
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes[0].result, kLinkCancelled) << outcomes[0].message;
}

TEST(SerialSeries, StartStepAndTheSpellingOfItsValues) {
  struct Case {
    const char* text;
    int unit;
    const char* value;  // null: refused or out of range
  };
  const Case cases[] = {
      {"sn=100", 3, "103"},       {"sn=100:10", 2, "120"},      {"sn=0x00FF", 1, "0x0100"},
      {"sn=0xff:0x10", 1, "0x10F"}, {"sn=5:-2", 2, "1"},         {"sn=5:-2", 3, nullptr},
      {"sn=18446744073709551615", 1, nullptr},                 {"sn", 0, nullptr},
      {"=5", 0, nullptr},         {"sn=12ab", 0, nullptr},      {"sn=0x", 0, nullptr},
      {"sn=1:x", 0, nullptr},     {"sn=-1", 0, nullptr},
  };
  for (const Case& c : cases) {
    std::string why;
    const auto series = ParseSerialSeries(c.text, why);
    const auto value = series ? SerialValue(*series, c.unit) : std::nullopt;
    if (c.value) {
      ASSERT_TRUE(value) << c.text << ": " << why;
      EXPECT_EQ(*value, c.value) << c.text;
    } else {
      EXPECT_FALSE(value) << c.text;
      if (!series) {
        EXPECT_FALSE(why.empty()) << c.text;
      }
    }
  }
}

TEST(UnitValueTable, RowsBecomeUnitsAndTheirFaultsTheUnitsProblems) {
  UnitValueTable table;
  std::string why;
  ASSERT_TRUE(table.SetTable(ParseCsv("cal,label\n12,A\n13\n,C\n\"open\n"), "v.csv", why)) << why;
  ASSERT_TRUE(table.AddSeries(*ParseSerialSeries("sn=7", why), why));
  EXPECT_FALSE(table.AddSeries(*ParseSerialSeries("cal=1", why), why)) << "cal has its column";
  EXPECT_EQ(table.Rows(), 4);
  EXPECT_EQ(table.Names(), (std::vector<std::string>{"cal", "label", "sn"}));
  auto values = [](const UnitPlan& p) {
    std::string text;
    for (const UnitValue& v : p.values) text += v.name + "=" + v.text + ";";
    return text;
  };
  EXPECT_EQ(values(table.PlanOf(0)), "cal=12;label=A;sn=7;");
  EXPECT_NE(table.PlanOf(1).problem.find("line 3 has 1 values"), std::string::npos) << table.PlanOf(1).problem;
  EXPECT_EQ(values(table.PlanOf(2)), "label=C;sn=9;") << "an empty field leaves the item as it is";
  EXPECT_NE(table.PlanOf(3).problem.find("line 5"), std::string::npos);

  const char* badHeaders[] = {"", "a,,b\n1,2,3\n", "a,a\n1,2\n", "\"a\n"};
  for (const char* text : badHeaders) {
    UnitValueTable t;
    EXPECT_FALSE(t.SetTable(ParseCsv(text), "v.csv", why)) << text;
    EXPECT_NE(why.find("v.csv"), std::string::npos) << why;
  }
}

}  // namespace
}  // namespace korvane
