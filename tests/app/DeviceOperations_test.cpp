// The main window's device commands against the emulated programmer: downloads,
// read-back, verify, the chip check, cancelling, the hex-window commands and
// the burn options.
#include <fstream>

#include "DeviceFixture.h"
#include "app/CChecksumListCtrl.h"
#include "app/HexWindowCommands.h"
#include "app/MainDeviceCommands.h"
#include "core/files/ChecksumCrc32.h"
#include "core/files/CodeFile.h"
#include "core/text/TextFormat.h"
#include "hexeditor/IHexEditor.h"

namespace korvane {
namespace {

using test::DeviceFixture;

class DeviceOperationsTest : public DeviceFixture {
 protected:
  // Downloads conf and code to the tool (or the chip); the final log line.
  std::string Download(CDuiHandlerMain& main, const char* target = "Tool") {
    play["dlg_select_download_type"] = Choose({target, "ConfArea", "CodeArea"});
    EXPECT_NE(Click(main, "config"), 0);
    const auto lines = LogLines(main);
    return lines.empty() ? std::string() : lines.back();
  }
  std::vector<uint8_t> HexWindowBytes(CDuiHandlerMain& main) {
    IHexEditor* hex = main.HexWindow();
    int32_t first = 0, last = -1;
    hex->GetRange(&first, &last);
    std::vector<uint8_t> bytes(static_cast<size_t>(last - first + 1));
    hex->ReadBytes(0, bytes.data(), static_cast<uint32_t>(bytes.size()));
    return bytes;
  }
};

TEST_F(DeviceOperationsTest, ADownloadToTheToolOrTheChipLandsWhatThePcComputes) {
  struct Case {
    const char* target;
    const char* kindKey;
    const char* sumsButton;
    int column;
  };
  const Case cases[] = {{"Tool", "COMMAND_WRITE_TOOL_CODE_REQ", "btn-tool-checksum", CChecksumListCtrl::kTool},
                        {"Chip", "COMMAND_WRITE_CHIP_CODE_REQ", "btn-chip-checksum", CChecksumListCtrl::kChip}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    opened.clear();
    RunWithSim(
        [&](CDuiHandlerMain& main, CDuiDialog&) {
          ASSERT_TRUE(LoadChip(main));
          main.Description().checksumDirty = 1;
          main.PollCodeFile();
          EXPECT_EQ(Download(main, c.target), ResultLine(c.kindKey, 0));
          const auto lines = LogLines(main);
          EXPECT_EQ(LineColour(main, lines.back()), kDarkBlue);
          EXPECT_EQ(LineColour(main, Text(c.kindKey)), kDarkBlue);  // the last line with the name is the result
          ASSERT_FALSE(bar.empty());
          EXPECT_EQ(bar.back(), 100);
          for (size_t i = 1; i < bar.size(); ++i) EXPECT_GE(bar[i], bar[i - 1]) << "the bar only moves forward";

          // What the device holds now is what the PC side shows.
          EXPECT_NE(Click(main, c.sumsButton), 0);
          CChecksumListCtrl* list = main.ChecksumList();
          for (int row = 0; row < 3; ++row)
            EXPECT_EQ(list->Cell(row, c.column), list->Cell(row, CChecksumListCtrl::kSoft)) << row;
          EXPECT_EQ(list->Cell(3, c.column), "512 Byte");
        },
        {"--chip-type", "0x3102"});
    EXPECT_EQ(opened, (std::vector<std::string>{"dlg_select_download_type", "dlg_process", "dlg_process"}));
  }
}

TEST_F(DeviceOperationsTest, AReadBackPutsTheDeviceValuesIntoTheItemsAndShowsTheGroupAgain) {
  RunWithSim([&](CDuiHandlerMain& main, CDuiDialog&) {
    ASSERT_TRUE(LoadChip(main));
    ConfigItem* version = Item(main, "cfgVersion");
    ASSERT_NE(version, nullptr);
    const std::string downloaded = version->value;
    Download(main);
    version->value = "42";
    main.Description().modified = 0;
    ConfigItem* group = Item(main, "sysInfo");
    main.OnDuiMessage(0, "selectitem", 0, 0, reinterpret_cast<LPARAM>(group));
    play["dlg_select_oprator_type"] = Choose({"Tool"});
    EXPECT_NE(Click(main, "read"), 0);
    test::Pump();
    EXPECT_EQ(version->value, downloaded);
    EXPECT_EQ(main.Description().modified, 1);
    EXPECT_EQ(main.Description().currentItem, group);
    EXPECT_EQ(LogLines(main).back(), ResultLine("COMMAND_READ_TOOL_CONFIG_REQ", 0));
    EXPECT_TRUE(HasLine(main, Text("CHIP_TYPE_ID") + ":0x00003102")) << "the read shows the device's information";
  });
}

TEST_F(DeviceOperationsTest, TheProgressDialogClosesItsOwnModalLoopWhenTheWorkerEnds) {
  RunWithSim([&](CDuiHandlerMain& main, CDuiDialog&) {
    ASSERT_TRUE(LoadChip(main));
    play["dlg_process"] = [this](CDuiDialog& d) {
      EXPECT_EQ(d.windowTitle().toStdString(), Text("COMMAND_READ_TOOL_INFO_REQ"));
      return d.ExecModal();
    };
    EXPECT_NE(Click(main, "btn-tool-checksum"), 0);
    EXPECT_EQ(LogLines(main).back(), ResultLine("COMMAND_READ_TOOL_INFO_REQ", 0));
    EXPECT_EQ(main.ChecksumList()->Cell(3, CChecksumListCtrl::kTool), "512 Byte");
  });
}

// The checksum comparison after a download: with nothing changed, with the
// conf area changed, and with every area changed (another code file). A
// difference ends it with the verdict naming the areas, in red, in the log
// and the status bar; the result stays 0.
TEST_F(DeviceOperationsTest, AVerifyEndsWithAVerdictThatNamesTheDifferingAreas) {
  RunWithSim([&](CDuiHandlerMain& main, CDuiDialog& d) {
    ASSERT_TRUE(LoadChip(main));
    Download(main);
    const std::string ownCode = GetCodeFilePath(main.Description());
    std::string codePath = ownCode;
    play["dlg_select_checksum_type"] = [&](CDuiDialog& dialog) {
      EXPECT_TRUE(dialog.FindControl("ConfArea")->GetCheck());
      EXPECT_TRUE(dialog.FindControl("CodeArea")->GetCheck());
      EXPECT_EQ(dialog.FindControl("CodePathEdit")->GetText(), ownCode);
      EXPECT_EQ(dialog.parentWidget(), nullptr) << "the checksum dialog opens on its own";
      dialog.FindControl("CodePathEdit")->SetText(codePath);
      return ClickOk(dialog);
    };
    CDuiControl* status = d.FindControl("txtStatusbar");
    const std::string name = Text("COMMAND_READ_CHECK_REQ") + "\xEF\xBC\x8C";
    auto verdict = [&](const std::string& areas) {
      return name + FormatText(Text("CHECKSUM_MISMATCH"), areas);
    };
    const std::string conf = Text("CHECKSUM_AREA_CONF"), code = Text("CHECKSUM_AREA_CODE"),
                      option = Text("CHECKSUM_AREA_OPTION");

    // Nothing changed: the success text, and the status bar is left alone.
    status->SetText("before");
    EXPECT_NE(Click(main, "checksum"), 0);
    EXPECT_EQ(context->link.request.checkMask, 7u);
    EXPECT_EQ(LogLines(main).back(), ResultLine("COMMAND_READ_CHECK_REQ", 0));
    EXPECT_EQ(LineColour(main, LogLines(main).back()), kDarkBlue);
    EXPECT_EQ(status->GetText(), "before");

    // The conf area differs from the tool's.
    Item(main, "cfgVersion")->value = "42";
    EXPECT_NE(Click(main, "checksum"), 0);
    EXPECT_EQ(LineColour(main, Text("CONF_CHECKSUM_FAIL")), kRed);
    EXPECT_EQ(LineColour(main, Text("CODE_CHECKSUM_SUCCESS")), kDarkBlue);
    EXPECT_EQ(LineColour(main, Text("OPTION_CHECKSUM_SUCCESS")), kDarkBlue);
    EXPECT_EQ(LogLines(main).back(), verdict(conf));
    EXPECT_EQ(LineColour(main, LogLines(main).back()), kRed);
    EXPECT_EQ(status->GetText(), verdict(conf));
    EXPECT_EQ(status->TextColor(), 0xFFFF0000u);
    EXPECT_EQ(context->link.result.load(), 0);

    // Every area differs: another code file brings other code and option bytes.
    codePath = std::string(KORVANE_BIN_DIR) + "/xml/orvik/chips/KV5210.hex";
    EXPECT_NE(Click(main, "checksum"), 0);
    EXPECT_EQ(LogLines(main).back(), verdict(conf + ", " + code + ", " + option));
    EXPECT_EQ(LineColour(main, LogLines(main).back()), kRed);
    EXPECT_EQ(status->GetText(), verdict(conf + ", " + code + ", " + option));
    EXPECT_EQ(context->link.result.load(), 0);
  });
}

// A compare that cannot read the programmer's checksum ends the operation
// with that failure, although the areas after it are compared and match.
TEST_F(DeviceOperationsTest, AVerifyWhoseReadFailsEndsInThatFailure) {
  RunWithSim(
      [&](CDuiHandlerMain& main, CDuiDialog&) {
        ASSERT_TRUE(LoadChip(main));
        Download(main);
        play["dlg_select_checksum_type"] = Choose({"ConfArea", "CodeArea"});
        EXPECT_NE(Click(main, "checksum"), 0);
        const std::string failure = ResultLine("COMMAND_READ_CHECK_REQ", 33);
        EXPECT_EQ(LogLines(main).back(), failure);
        EXPECT_EQ(LineColour(main, failure), kRed);
        EXPECT_TRUE(HasLine(main, Text("ARM_CONF_CHECKSUM") + " (" + Text("ERROR_33") + ")"));
        EXPECT_EQ(LineColour(main, Text("ARM_CONF_CHECKSUM") + " (" + Text("ERROR_33") + ")"), kRed);
        EXPECT_EQ(LineColour(main, Text("CODE_CHECKSUM_SUCCESS")), kDarkBlue);
        EXPECT_EQ(LineColour(main, Text("OPTION_CHECKSUM_SUCCESS")), kDarkBlue);
        EXPECT_EQ(context->link.result.load(), 33);
        ASSERT_FALSE(bar.empty());
        EXPECT_LT(bar.back(), 100);
      },
      {"--fault", "status:10:1"});
}

TEST_F(DeviceOperationsTest, AChipOfAnotherTypeIsNamedAndNothingIsRead) {
  RunWithSim(
      [&](CDuiHandlerMain& main, CDuiDialog&) {
        ASSERT_TRUE(LoadChip(main));
        Item(main, "cfgVersion")->value = "42";
        play["dlg_select_oprator_type"] = Choose({"Chip"});
        EXPECT_NE(Click(main, "read"), 0);
        test::Pump();
        EXPECT_TRUE(HasLine(main, Text("CHIP_TYPE_ID") + ":0x00007777"));
        EXPECT_TRUE(HasLine(main, Text("ConfAreaSize") + ":"));
        EXPECT_EQ(LogLines(main).back(), ResultLine("COMMAND_READ_CHIP_CONFIG_REQ", 1010));
        EXPECT_EQ(LineColour(main, LogLines(main).back()), kRed);
        EXPECT_EQ(Item(main, "cfgVersion")->value, "42") << "no block was read";
        EXPECT_EQ(context->link.readSize[kLinkAreaConf], 0u);
      },
      {"--chip-type", "0x7777"});
}

TEST_F(DeviceOperationsTest, ClosingTheProgressDialogCancelsTheWriteAtOnce) {
  RunWithSim(
      [&](CDuiHandlerMain& main, CDuiDialog&) {
        ASSERT_TRUE(LoadChip(main));
        int64_t cancelMs = -1;
        int finals = 0;
        play["dlg_select_download_type"] = Choose({"Tool", "ConfArea", "CodeArea"});
        play["dlg_process"] = [&](CDuiDialog& d) {
          CDuiControl* progress = d.FindControl("ProgressCtrl");
          EXPECT_TRUE(test::PumpUntil([&] { return progress->GetProgress() >= 25; }, 20000));
          QElapsedTimer clock;
          clock.start();
          EXPECT_TRUE(d.EndDialog(2));
          d.EndDialog(2);  // a second request while closing changes nothing
          EXPECT_TRUE(test::PumpUntil([&] { return d.Finished(); }, 5000));
          cancelMs = clock.elapsed();
          for (const std::string& line : LogLines(main))
            if (line.find(Text("ERROR_1005")) != std::string::npos) ++finals;
          return d.Result();
        };
        EXPECT_NE(Click(main, "config"), 0);
        EXPECT_GE(cancelMs, 0);
        EXPECT_LT(cancelMs, 1500) << "the worker stops at its next look at the flag";
        EXPECT_EQ(finals, 1);
        const std::string last = LogLines(main).back();
        EXPECT_EQ(last, Text("COMMAND_WRITE_TOOL_CODE_REQ") + ", " + Text("ERROR_1005"));
        EXPECT_EQ(LineColour(main, last), kRed);
        EXPECT_EQ(context->link.result.load(), 1005);
        EXPECT_FALSE(context->link.WorkerRunning());
      },
      {"--baud", "19200"});
}

TEST_F(DeviceOperationsTest, EachAreaReadIntoTheHexWindowAndBackAgain) {
  RunWithSim([&](CDuiHandlerMain& main, CDuiDialog& d) {
    ASSERT_TRUE(LoadChip(main));
    Download(main);
    const std::vector<uint8_t> sent = context->link.request.image;  // what the download sent
    const CoreContext& core = context->core;
    const struct {
      const char* radio;
      uint32_t start, size;
      int kind;
    } areas[] = {{"ConfArea", core.layout.confStart, core.layout.confSize, 12},
                 {"CodeArea", core.layout.codeStart, core.image.codeLength, 8},
                 {"OptionArea", core.layout.optionStart, core.layout.optionSize, 16}};
    for (const auto& a : areas) {
      SCOPED_TRACE(a.radio);
      play["dlg_select_flash_type"] = Choose({a.radio});
      EXPECT_NE(Click(main, "btn-read-tool"), 0);
      test::Pump();
      const std::vector<uint8_t> bytes = HexWindowBytes(main);
      ASSERT_EQ(bytes.size(), a.size);
      EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), sent.begin() + a.start));
      EXPECT_EQ(main.HexCommands().LastReadKind(), a.kind);
    }
    EXPECT_EQ(d.FindControl("tabctrl.main")->GetTabPage(), 0);
  });
}

TEST_F(DeviceOperationsTest, AnImportedFileLargerThanTheAreaSendsOnlyTheAreasSize) {
  RunWithSim([&](CDuiHandlerMain& main, CDuiDialog&) {
    ASSERT_TRUE(LoadChip(main));
    std::vector<uint8_t> file(3000);
    for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<uint8_t>(i * 31 + 7);
    const std::string path = logDir.filePath("big.bin").toStdString();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
    nextFile = path;
    Click(main, "btn-import");
    nextFile.clear();
    play["dlg_select_flash_type"] = Choose({"ConfArea"});
    EXPECT_NE(Click(main, "btn-write-tool"), 0);
    EXPECT_EQ(context->link.request.writeLength[kLinkAreaConf], 512u);
    EXPECT_EQ(LogLines(main).back(), ResultLine("COMMAND_WRITE_TOOL_CONF_FLASH_REQ", 0));
    EXPECT_NE(Click(main, "btn-tool-checksum"), 0);
    CChecksumListCtrl* list = main.ChecksumList();
    EXPECT_EQ(list->Cell(3, CChecksumListCtrl::kTool), "512 Byte");
    EXPECT_EQ(list->Cell(0, CChecksumListCtrl::kTool), StrFormat("0x%08X", ChecksumCrc32(file.data(), 512)));

    // The same bytes compare equal on the conf area alone.
    play["dlg_select_flash_type"] = Choose({"ConfArea"});
    EXPECT_NE(Click(main, "btn-check-sum"), 0);
    EXPECT_EQ(context->link.request.checkMask, 1u);
    EXPECT_EQ(LineColour(main, Text("CONF_CHECKSUM_SUCCESS")), kDarkBlue);
    EXPECT_FALSE(HasLine(main, Text("CODE_CHECKSUM_SUCCESS")));
  });
}

// The code area goes out with its option bytes: the project's, not blank ones.
TEST_F(DeviceOperationsTest, WritingTheCodeAreaSendsTheProjectsOptionBytes) {
  RunWithSim([&](CDuiHandlerMain& main, CDuiDialog&) {
    ASSERT_TRUE(LoadChip(main));
    const std::string path = logDir.filePath("code.bin").toStdString();
    std::ofstream(path, std::ios::binary) << std::string(1024, '\x11');
    nextFile = path;
    Click(main, "btn-import");
    nextFile.clear();
    play["dlg_select_flash_type"] = Choose({"CodeArea"});
    EXPECT_NE(Click(main, "btn-write-tool"), 0);
    EXPECT_EQ(LogLines(main).back(), ResultLine("COMMAND_WRITE_TOOL_CODE_FLASH_REQ", 0));
    const CoreContext& core = context->core;
    const std::vector<uint8_t> own(core.image.bytes.begin() + core.layout.optionStart,
                                   core.image.bytes.begin() + core.layout.optionStart + core.layout.optionSize);
    ASSERT_EQ(own[0], 0x5A) << "the project's option bytes";

    play["dlg_select_flash_type"] = Choose({"OptionArea"});
    EXPECT_NE(Click(main, "btn-read-tool"), 0);
    test::Pump();
    EXPECT_EQ(HexWindowBytes(main), own);
  });
}

TEST_F(DeviceOperationsTest, TheBurnOptionsGoToTheToolAndComeBack) {
  RunWithSim([&](CDuiHandlerMain& main, CDuiDialog&) {
    std::vector<std::pair<bool, bool>> shown;  // CodeArea, ConfArea as the dialog opened
    auto record = [&](CDuiDialog& d) {
      shown.emplace_back(d.FindControl("CodeArea")->GetCheck(), d.FindControl("ConfArea")->GetCheck());
    };
    play["dlg_burn_option"] = [&](CDuiDialog& d) {
      record(d);
      d.FindControl("ConfArea")->SetCheck(false);
      return ClickOk(d);
    };
    EXPECT_NE(Click(main, "burnoption"), 0);  // no description needed
    EXPECT_EQ(context->link.request.burnConfig.bytes[0], 5);
    EXPECT_EQ(context->link.request.burnConfig.bytes[1], 0x5A) << "the programmer's own bytes travel unchanged";
    play["dlg_burn_option"] = [&](CDuiDialog& d) {
      record(d);
      return Cancel(d);
    };
    opened.clear();
    EXPECT_EQ(Click(main, "burnoption"), 0);
    EXPECT_EQ(opened, std::vector<std::string>{"dlg_burn_option"}) << "a cancel starts nothing";
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], std::make_pair(true, true));   // the emulator starts with 0x07
    EXPECT_EQ(shown[1], std::make_pair(true, false));  // what was written
  });
}

TEST_F(DeviceOperationsTest, AFailedBurnOptionReadIsLoggedAndShown) {
  RunWithSim(
      [&](CDuiHandlerMain& main, CDuiDialog&) {
        EXPECT_EQ(Click(main, "burnoption"), 0);
        const std::string text = Text("ERROR_1009") + ", " + Text("ERROR_33");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(LogLines(main).back(), text);
        EXPECT_EQ(LineColour(main, text), kRed);
        EXPECT_TRUE(opened.empty());
      },
      {"--fault", "status:8"});
}

TEST_F(DeviceOperationsTest, CommandsStopAtAClosedPortAMissingDescriptionOrAnEmptyHexWindow) {
  // No emulator and no stored port: every device command names the port first.
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
        for (const char* command : {"read", "config", "checksum", "burnoption", "btn-tool-checksum", "btn-read-chip",
                                    "btn-write-tool", "btn-check-sum"}) {
          boxes.clear();
          EXPECT_EQ(Click(main, command), 0) << command;
          ASSERT_EQ(boxes.size(), 1u) << command;
          EXPECT_EQ(boxes[0].text, Text("SELECT_PORT_NOTREADY")) << command;
        }
      }},
      DeviceOptions());
  EXPECT_TRUE(opened.empty());

  RunWithSim([&](CDuiHandlerMain& main, CDuiDialog&) {
    for (const char* command : {"read", "config", "checksum", "btn-chip-checksum"}) {
      boxes.clear();
      EXPECT_EQ(Click(main, command), 0) << command;
      ASSERT_EQ(boxes.size(), 1u) << command;
      EXPECT_EQ(boxes[0].text, Text("NewNotify")) << command;
    }
    ASSERT_TRUE(LoadChip(main));
    boxes.clear();
    EXPECT_EQ(Click(main, "btn-write-chip"), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Text("DEV_PRE_READ_OR_IMPORT"));
    // A cancelled choice starts nothing.
    play["dlg_select_flash_type"] = [](CDuiDialog& d) { return Cancel(d); };
    play["dlg_select_oprator_type"] = [](CDuiDialog& d) { return Cancel(d); };
    EXPECT_EQ(Click(main, "btn-read-tool"), 0);
    EXPECT_EQ(Click(main, "read"), 0);
  });
  EXPECT_EQ(opened, (std::vector<std::string>{"dlg_select_flash_type", "dlg_select_oprator_type"}));
}

TEST_F(DeviceOperationsTest, TheHexExportAsksBeforeReplacingAFile) {
  const std::string target = logDir.filePath("out.hex").toStdString();
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
        EXPECT_EQ(Click(main, "exporthex"), 0);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, Text("NewNotify"));
        ASSERT_TRUE(LoadChip(main));
        play["dlg_select_export_hex"] = [&](CDuiDialog& d) {
          d.FindControl("ExportPathEdit")->SetText(target);
          return ClickOk(d);
        };
        boxes.clear();
        EXPECT_EQ(Click(main, "exporthex"), 0);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, Text("EXPORT_OK"));
        std::ofstream(target) << "mine";
        answer = [](const std::string&) { return IDCANCEL; };
        boxes.clear();
        Click(main, "exporthex");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, FormatText(Text("FILE_EXIST_MESSAGE"), target));
        EXPECT_EQ(boxes[0].buttons, MB_OKCANCEL);
        std::ifstream in(target);
        std::string kept;
        in >> kept;
        EXPECT_EQ(kept, "mine");
        answer = nullptr;
        boxes.clear();
        Click(main, "exporthex");
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[1].text, Text("EXPORT_OK"));
        std::ifstream again(target);
        std::string first;
        again >> first;
        EXPECT_EQ(first, ":020000040000FA");
      }},
      DeviceOptions());
}

}  // namespace
}  // namespace korvane
