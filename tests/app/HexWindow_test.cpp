// The hex data window: the component's start sequence, the program without
// it, and the binary exchange through the real library.
#include <atomic>
#include <thread>

#include <QFile>
#include <QKeyEvent>

#include "AppFixture.h"
#include "support/TempDir.h"
#include "app/AppSession.h"
#include "app/CChecksumListCtrl.h"
#include "app/HexWindowCommands.h"
#include "app/MainDeviceCommands.h"
#include "app/HexEditorLoader.h"
#include "hexeditor/IHexEditor.h"

namespace korvane {
namespace {

using test::AppFixture;

// Records the calls the program makes, in order.
class RecordingEditor final : public IHexEditor {
 public:
  explicit RecordingEditor(QWidget* parent) : window(new QWidget(parent)) {}
  QWidget* EditorWindow() override { calls.push_back("EditorWindow"); return window; }
  void SetOptionA(int v) override { calls.push_back("SetOptionA(" + std::to_string(v) + ")"); }
  void SetDataSource(CMemoryAccess* s) override {
    int32_t first = 0, last = 0;
    s->GetRange(&first, &last);
    calls.push_back("SetDataSource(last=" + std::to_string(last) + ")");
  }
  void SetOptionB(int v) override { calls.push_back("SetOptionB(" + std::to_string(v) + ")"); }
  void GetRange(int32_t* f, int32_t* l) override { *f = 0; *l = -1; calls.push_back("GetRange"); }
  void ResetView(int a, int b, int c) override {
    calls.push_back("ResetView(" + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + ")");
  }
  void BeginLoad(int v) override { calls.push_back("BeginLoad(" + std::to_string(v) + ")"); }
  void EndLoad(int v) override { calls.push_back("EndLoad(" + std::to_string(v) + ")"); }
  void SetBytesPerLine(int n) override { calls.push_back("SetBytesPerLine(" + std::to_string(n) + ")"); }
  uint32_t ReadBytes(uint32_t, uint8_t*, uint32_t) override { calls.push_back("ReadBytes"); return 0; }
  uint32_t WriteBytes(uint32_t, const uint8_t*, uint32_t n) override { calls.push_back("WriteBytes"); return n; }
  void RefreshView() override { calls.push_back("RefreshView"); }
  void SetBaseAddress(uint32_t a) override { calls.push_back("SetBaseAddress(" + std::to_string(a) + ")"); }

  QWidget* window;
  std::vector<std::string> calls;
};

class HexWindowTest : public AppFixture {
 protected:
  std::string WriteFile(const char* name, const std::vector<uint8_t>& bytes) {
    const std::string path = logDir.filePath(name).toStdString();
    test::WriteBytes(path, bytes);
    return path;
  }
  static std::vector<uint8_t> ReadFile(const std::string& path) { return test::ReadBytes(path); }
  static std::vector<uint8_t> Pattern(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 7 + 3);
    return v;
  }
};

TEST_F(HexWindowTest, TheComponentStartsWithItsSequenceOverAnEmptySource) {
  std::unique_ptr<RecordingEditor> editor;
  AppOptions o = Options();
  o.hexEditorFactory = [&](QWidget* parent) {
    editor = std::make_unique<RecordingEditor>(parent);
    return editor.get();
  };
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
        EXPECT_EQ(main.HexWindow(), editor.get());
        EXPECT_EQ(editor->window->parentWidget(), d.FindControl("hexdatawindow")->Widget());
      }},
      o);
  ASSERT_TRUE(editor);
  const std::vector<std::string> expected = {"EditorWindow", "SetDataSource(last=-1)", "SetOptionB(1)",
                                             "SetOptionA(1)", "SetBytesPerLine(16)", "ResetView(0,1,0)"};
  EXPECT_EQ(editor->calls, expected);
}

TEST_F(HexWindowTest, WithoutTheLibraryExportIsEmptyAndImportStillFillsTheSource) {
  AppOptions o = Options();
  o.hexEditorPath = logDir.filePath("moved-away/korvane-hexeditor").toStdString();
  const std::string input = WriteFile("in.bin", Pattern(1000));
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
        EXPECT_EQ(main.HexWindow(), nullptr);
        nextFile = logDir.filePath("out.bin").toStdString();
        EXPECT_EQ(Click(main, "btn-export"), 0);
        nextFile = input;
        EXPECT_EQ(Click(main, "btn-import"), 0);
        ASSERT_NE(main.Session().hexData.Block(0), nullptr);
        EXPECT_EQ(*main.Session().hexData.Block(0), Pattern(1000));
        main.HexCommands().ShowRead(12, Pattern(16).data(), 16, 0x8000);  // no window: nothing but the kind
        EXPECT_EQ(main.HexCommands().LastReadKind(), 12);
      }},
      o);
  EXPECT_TRUE(QFile::exists(logDir.filePath("out.bin")));
  EXPECT_TRUE(ReadFile(logDir.filePath("out.bin").toStdString()).empty());
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(saves[0]);
  EXPECT_FALSE(saves[1]);
  EXPECT_EQ(requests[1].filter, "Bin File(*.bin)|*.bin||");
  EXPECT_EQ(requests[1].defaultExtension, "bin");
}

TEST_F(HexWindowTest, ExportRightAfterImportWritesTheSameBytes) {
  const std::string input = WriteFile("in.bin", Pattern(1000));
  const std::string empty = WriteFile("empty.bin", {});
  const std::string output = logDir.filePath("out.bin").toStdString();
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    ASSERT_NE(main.HexWindow(), nullptr);
    nextFile = input;
    Click(main, "btn-import");
    int32_t first = 0, last = 0;
    main.HexWindow()->GetRange(&first, &last);
    EXPECT_EQ(last - first + 1, 1000);
    nextFile = output;
    Click(main, "btn-export");
    EXPECT_EQ(ReadFile(output), Pattern(1000));
    nextFile = empty;
    Click(main, "btn-import");
    EXPECT_EQ(main.Session().hexData.Block(0)->size(), 0u);
    main.HexWindow()->GetRange(&first, &last);
    EXPECT_EQ(last, -1);
  }});
}

TEST_F(HexWindowTest, AFailedExportIsReportedAndKeepsTheOldFile) {
  const std::string input = WriteFile("in.bin", Pattern(1000));
  ASSERT_TRUE(QDir(logDir.path()).mkpath("taken.bin/inside"));
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    nextFile = input;
    Click(main, "btn-import");
    nextFile = logDir.filePath("taken.bin").toStdString();
    Click(main, "btn-export");
  }});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(logDir.filePath("taken.bin").toStdString()), std::string::npos) << boxes[0].text;
  EXPECT_TRUE(QDir(logDir.filePath("taken.bin/inside")).exists());
}

TEST_F(HexWindowTest, AReadOfTheSameLengthRewritesTheBytesAndAnotherLengthReplacesTheSource) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    IHexEditor* hex = main.HexWindow();
    ASSERT_NE(hex, nullptr);
    std::vector<uint8_t> a = Pattern(256), b(256, 0xA5), c(128, 0x5A), got(256);
    main.HexCommands().ShowRead(12, a.data(), 256, 0x10000);
    ASSERT_EQ(hex->ReadBytes(0, got.data(), 256), 256u);
    EXPECT_EQ(got, a);
    main.HexCommands().ShowRead(13, b.data(), 256, 0x10000);
    hex->ReadBytes(0, got.data(), 256);
    EXPECT_EQ(got, b);
    main.HexCommands().ShowRead(9, c.data(), 128, 0);
    int32_t first = 0, last = 0;
    hex->GetRange(&first, &last);
    EXPECT_EQ(last, 127);
    EXPECT_EQ(*main.Session().hexData.Block(0), c);
  }});
}

TEST_F(HexWindowTest, RunnerResultsFromTheWorkerReachTheViews) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    std::atomic<bool> done{false};
    DeviceInfoRecord info;
    info.field[DeviceInfoRecord::ConfChecksum] = 0xCAFEF00D;
    info.field[DeviceInfoRecord::ConfLength] = 1024;
    std::thread worker([&] {
      auto area = std::make_unique<ReadResult>(64);
      area->data.assign(64, 0x3C);
      area->address = 0x20000;
      main.Device()->View().PostReadResult(16, std::move(area));
      main.Device()->View().SendDeviceInfo(24, info);  // returns once shown
      done = true;
    });
    test::PumpUntil([&] { return done.load(); });
    worker.join();
    test::Pump();
    std::vector<uint8_t> got(64);
    ASSERT_NE(main.HexWindow(), nullptr);
    EXPECT_EQ(main.HexWindow()->ReadBytes(0, got.data(), 64), 64u);
    EXPECT_EQ(got, std::vector<uint8_t>(64, 0x3C));
    EXPECT_EQ(main.HexCommands().LastReadKind(), 16);
    EXPECT_EQ(main.ChecksumList()->Cell(0, CChecksumListCtrl::kChip), "0xCAFEF00D");
    EXPECT_EQ(main.ChecksumList()->Cell(3, CChecksumListCtrl::kChip), "1024 Byte");

    // A configuration read goes into the items and refreshes the PC-side checksums.
    ASSERT_TRUE(main.Description().NewDescription("KV5210", "ADP_65W", main.ConfigTree()));
    main.PollCodeFile();
    d.FindControl("txtChecksumbar")->SetText("stale");
    auto conf = std::make_unique<ReadResult>(1024);
    conf->address = 0x7C00;
    main.Device()->View().PostReadResult(1, std::move(conf));
    test::Pump();
    EXPECT_EQ(main.Description().modified, 1);
    EXPECT_NE(d.FindControl("txtChecksumbar")->GetText(), "stale");
    main.Description().modified = 0;
  }});
}

TEST(HexEditorLibrary, BytesTypedIntoTheWindowReachTheDataSource) {
  test::GuiApp();
  std::string why;
  HexEditorFactory create = LoadHexEditorLibrary(std::string(KORVANE_BIN_DIR) + "/korvane-hexeditor", &why);
  ASSERT_TRUE(create) << why;
  QWidget parent;
  IHexEditor* hex = create(&parent);
  ASSERT_NE(hex, nullptr);
  CMemoryAccess source;
  const std::vector<uint8_t> bytes(40, 0);
  source.SetBlock(40, 0, bytes.data());
  hex->SetDataSource(&source);
  hex->SetBytesPerLine(16);
  hex->ResetView(0, 1, 0);
  auto type = [&](Qt::Key key, const QString& text) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(hex->EditorWindow(), &e);
  };
  type(Qt::Key_4, "4");
  type(Qt::Key_A, "a");
  type(Qt::Key_Tab, "\t");  // to the ASCII column
  type(Qt::Key_Z, "z");
  uint8_t got[2] = {};
  hex->ReadBytes(0, got, 2);
  EXPECT_EQ(got[0], 0x4A);
  EXPECT_EQ(got[1], 'z');
  EXPECT_EQ((*source.Block(0))[0], 0x4A);
  EXPECT_EQ((*source.Block(0))[1], 'z');
  hex->SetBaseAddress(0x8000);
  EXPECT_EQ(std::string(LoadHexEditorLibrary("/nonexistent/lib", &why) ? "loaded" : "missing"), "missing");
}

}  // namespace
}  // namespace korvane
