// Start-up, settings and the rebuild of the interface after a language switch.
#include <map>

#include <QFile>
#include <QSettings>

#include "AppFixture.h"
#include "link/IniFile.h"
#include "app/AppContext.h"
#include "app/AppMessages.h"
#include "core/model/ChipDescription.h"
#include "core/text/TextFormat.h"

namespace korvane {
namespace {

using test::AppFixture;

class KorvaneAppTest : public AppFixture {
 protected:
  QVariant Stored(const char* section) {
    QSettings s(QString::fromStdString(SettingsFilePath()), QSettings::IniFormat);
    return s.value(QString(section) + "/Value");
  }
  void Store(const char* section, const QVariant& v) {
    QSettings s(QString::fromStdString(SettingsFilePath()), QSettings::IniFormat);
    s.setValue(QString(section) + "/Value", v);
  }
};

TEST_F(KorvaneAppTest, FirstStartWritesTheBackgroundColourAndStoresNoLanguage) {
  EXPECT_EQ(Run({[&](CDuiHandlerMain&, CDuiDialog&) {}}), 0);
  EXPECT_EQ(Stored("BkColor").toInt(), 0x843400);
  // Only the user's choice is stored; until then each start follows the locale.
  EXPECT_FALSE(Stored("DuiLanguage").isValid());
}

// With no stored choice the interface speaks the locale's language: the
// first of LC_ALL, LC_MESSAGES and LANG that is set decides.
TEST_F(KorvaneAppTest, FirstStartFollowsTheLocale) {
  struct Case {
    std::map<std::string, std::string> environment;
    int language;
  };
  const Case cases[] = {
      {{{"LANG", "en_US.UTF-8"}}, kLangEnglish},
      {{{"LANG", "zh_CN.UTF-8"}}, kLangChinese},
      {{{"LANG", "zh_TW.UTF-8"}}, kLangChinese},
      {{{"LANG", "zh"}}, kLangChinese},
      {{{"LANG", "de_DE.UTF-8"}}, kLangEnglish},
      {{{"LANG", "C"}}, kLangEnglish},
      {{{"LANG", "POSIX"}}, kLangEnglish},
      {{{"LANG", "C.UTF-8"}}, kLangEnglish},
      {{}, kLangEnglish},
      {{{"LANG", ""}}, kLangEnglish},
      {{{"LANG", "zh_CN.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}}, kLangEnglish},
      {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "zh_CN.UTF-8"}}, kLangChinese},
      {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}, {"LC_ALL", "zh_CN.GB18030"}}, kLangChinese},
      {{{"LANG", "zh_CN.UTF-8"}, {"LC_MESSAGES", "zh_CN.UTF-8"}, {"LC_ALL", "C"}}, kLangEnglish},
      {{{"LANG", "zh_CN.UTF-8"}, {"LC_ALL", ""}}, kLangChinese},  // an empty LC_ALL is unset
  };
  for (const Case& c : cases) {
    std::string described;
    for (const auto& [name, value] : c.environment) described += name + "=" + value + " ";
    SCOPED_TRACE(described);
    locale = c.environment;
    passes = 0;
    int languageSeen = 0;
    std::string title;
    Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
      languageSeen = main.Context().dui->LanguageId();
      title = main.Context().dui->LookupText("UI_MENU_LANGUAGE");
    }});
    EXPECT_EQ(languageSeen, c.language);
    EXPECT_EQ(title, LanguageTable::ForLanguageId(c.language).LookupText("UI_MENU_LANGUAGE"));
    EXPECT_FALSE(Stored("DuiLanguage").isValid());
  }
}

// Once the user has chosen, the choice holds whatever the locale says.
TEST_F(KorvaneAppTest, AStoredChoiceWinsOverTheLocale) {
  for (const int stored : {kLangEnglish, kLangChinese}) {
    for (const char* lang : {"zh_CN.UTF-8", "en_US.UTF-8", "C"}) {
      SCOPED_TRACE(std::string(lang) + " with " + std::to_string(stored) + " stored");
      Store("DuiLanguage", stored);
      locale = {{"LANG", lang}, {"LC_ALL", lang}};
      passes = 0;
      int languageSeen = 0;
      Run({[&](CDuiHandlerMain& main, CDuiDialog&) { languageSeen = main.Context().dui->LanguageId(); }});
      EXPECT_EQ(languageSeen, stored);
    }
  }
}

// The menu names each language in itself, whichever language it is shown
// in; the running language is ticked until the user chooses one.
TEST_F(KorvaneAppTest, TheLanguageMenuNamesEachLanguageInItself) {
  for (const char* lang : {"en_US.UTF-8", "zh_CN.UTF-8"}) {
    SCOPED_TRACE(lang);
    locale = {{"LANG", lang}};
    passes = 0;
    Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
      EXPECT_EQ(d.FindControl("item_english")->GetText(), "English");
      EXPECT_EQ(d.FindControl("item_chinese")->GetText(), "\xE4\xB8\xAD\xE6\x96\x87");  // 中文
      const bool chinese = main.Context().app.language == kLangChinese;
      EXPECT_EQ(d.FindControl("item_chinese")->GetCheck(), chinese);
      EXPECT_EQ(d.FindControl("item_english")->GetCheck(), !chinese);
    }});
  }
}

// The question comes in the language being left: the user reads it in the
// language they have been using.
TEST_F(KorvaneAppTest, TheSwitchIsConfirmedInTheLanguageBeingLeft) {
  struct Case {
    const char* lang;
    const char* entry;
    int leaving;
  };
  for (const Case& c : {Case{"en_US.UTF-8", "item_chinese", kLangEnglish}, Case{"zh_CN.UTF-8", "item_english", kLangChinese}}) {
    SCOPED_TRACE(c.lang);
    locale = {{"LANG", c.lang}};
    boxes.clear();
    passes = 0;
    answer = [](const std::string&) { return IDNO; };
    Run({[&](CDuiHandlerMain&, CDuiDialog& d) {
      d.FindControl(c.entry)->Action()->trigger();
      test::Pump();
    }});
    ASSERT_EQ(boxes.size(), 1u);
    const LanguageTable left = LanguageTable::ForLanguageId(c.leaving);
    EXPECT_EQ(boxes[0].text, left.LookupText("ChangeLanguageNotify"));
    EXPECT_EQ(boxes[0].title, left.LookupText("MessageBoxTitle"));
    QSettings(QString::fromStdString(SettingsFilePath()), QSettings::IniFormat).remove("DuiLanguage");
  }
}

TEST_F(KorvaneAppTest, AStoredColourIsKeptAndAStoredLanguageIsUsed) {
  Store("BkColor", 0x123456);
  Store("DuiLanguage", kLangEnglish);
  int languageSeen = 0;
  std::string boxText = "unset";
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    languageSeen = main.Context().dui->LanguageId();
    boxText = main.Context().dui->LookupText("MessageBoxTitle");
  }});
  EXPECT_EQ(languageSeen, kLangEnglish);
  EXPECT_EQ(boxText, LanguageTable::ForLanguageId(kLangEnglish).LookupText("MessageBoxTitle"));
  EXPECT_EQ(Stored("BkColor").toInt(), 0x123456);
}

TEST_F(KorvaneAppTest, AMissingSkinArchiveEndsWithStatusOne) {
  AppOptions o = Options();
  o.archivePath = logDir.filePath("missing/Korvane.ui").toStdString();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(Run({}, o), 1);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("missing/Korvane.ui"), std::string::npos) << err;
  EXPECT_EQ(passes, 0u);
}

TEST_F(KorvaneAppTest, NoToTheLanguageQuestionStoresTheLanguageAndKeepsTheInterface) {
  answer = [](const std::string&) { return IDNO; };
  int passLanguage = 0;
  bool englishTicked = false;
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    EXPECT_TRUE(d.FindControl("item_chinese")->GetCheck());
    d.FindControl("item_english")->Action()->trigger();
    englishTicked = d.FindControl("item_english")->GetCheck();
    test::Pump();
    EXPECT_FALSE(d.Finished());
    passLanguage = main.Context().app.language;
  }});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, Text("ChangeLanguageNotify"));
  EXPECT_TRUE(englishTicked);  // the entry shows the language of the next start
  EXPECT_EQ(boxes[0].buttons, 4);  // Yes and No
  EXPECT_EQ(passes, 1u);
  EXPECT_EQ(passLanguage, kLangChinese);
  EXPECT_EQ(Stored("DuiLanguage").toInt(), kLangEnglish);
}

// The tick shows the language stored for the next start, never one the
// user chose without a switch: choosing the running language again, after a
// switch answered No, stores nothing, so the tick stays where it was.
TEST_F(KorvaneAppTest, TheLanguageTickShowsTheStoredLanguage) {
  answer = [](const std::string&) { return IDNO; };
  std::vector<std::pair<bool, bool>> ticks;  // (Chinese, English) after each choice
  Run({[&](CDuiHandlerMain&, CDuiDialog& d) {
    auto tick = [&] { ticks.push_back({d.FindControl("item_chinese")->GetCheck(), d.FindControl("item_english")->GetCheck()}); };
    d.FindControl("item_english")->Action()->trigger();
    test::Pump();
    tick();
    d.FindControl("item_chinese")->Action()->trigger();
    test::Pump();
    tick();
  }});
  EXPECT_EQ(boxes.size(), 1u) << "the running language asks nothing";
  EXPECT_EQ(Stored("DuiLanguage").toInt(), kLangEnglish);
  EXPECT_EQ(ticks, (std::vector<std::pair<bool, bool>>{{false, true}, {false, true}}));
}

TEST_F(KorvaneAppTest, YesRebuildsTheWholeInterfaceInTheNewLanguage) {
  answer = [](const std::string&) { return IDYES; };
  CDuiHandlerMain* firstHandler = nullptr;
  int secondLanguage = 0;
  bool secondEmpty = false;
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
         firstHandler = &main;
         Click(main, "item_english");
         test::PumpUntil([&] { return d.Finished(); });
       },
       [&](CDuiHandlerMain& main, CDuiDialog&) {
         secondLanguage = main.Context().dui->LanguageId();
         secondEmpty = !main.Description().loaded && main.Description().root == nullptr;
         EXPECT_EQ(main.Context().app.restart, 0);
       }});
  EXPECT_EQ(passes, 2u);
  EXPECT_NE(firstHandler, nullptr);
  EXPECT_EQ(secondLanguage, kLangEnglish);
  EXPECT_TRUE(secondEmpty);
  EXPECT_EQ(Stored("DuiLanguage").toInt(), kLangEnglish);
}

TEST_F(KorvaneAppTest, ACancelledSavePromptKeepsTheWindowAndALaterCloseEndsTheProgram) {
  answer = [this](const std::string& text) { return text == Text("SaveNotify") ? IDCANCEL : IDYES; };
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    ASSERT_TRUE(main.Description().NewDescription("KV5210", "ADP_65W", main.ConfigTree()));
    main.Description().modified = 1;
    Click(main, "item_english");
    test::Pump();
    EXPECT_FALSE(d.Finished());
    EXPECT_EQ(main.Context().app.restart, 0);
    EXPECT_EQ(main.Context().app.language, kLangChinese);
    main.Description().modified = 0;  // then the user closes the window
  }});
  EXPECT_EQ(passes, 1u);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, Text("SaveNotify"));
  EXPECT_EQ(Stored("DuiLanguage").toInt(), kLangEnglish);
}

TEST_F(KorvaneAppTest, YesThenNoToTheSavePromptRebuildsWithNoProjectLoaded) {
  answer = [this](const std::string& text) { return text == Text("SaveNotify") ? IDNO : IDYES; };
  bool secondEmpty = false;
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
         ASSERT_TRUE(main.Description().NewDescription("KV5210", "ADP_65W", main.ConfigTree()));
         main.Description().modified = 1;
         Click(main, "item_english");
         test::PumpUntil([&] { return d.Finished(); });
       },
       [&](CDuiHandlerMain& main, CDuiDialog&) {
         secondEmpty = !main.Description().loaded && main.ConfigTree()->topLevelItemCount() == 0;
       }});
  EXPECT_EQ(passes, 2u);
  EXPECT_TRUE(secondEmpty);
}

TEST_F(KorvaneAppTest, EverySettingReadsItsDefaultAndIsStoredAsASectionWithAValue) {
  AppSettings store;
  const std::pair<const char*, const char*> texts[] = {
      {"BkPicFile", ""}, {"Port", ""}, {"Baudrate", "57600"}, {"Databit", "8"}, {"Parity", "0"}, {"Stopbit", "0"}};
  for (const auto& [section, value] : texts) EXPECT_EQ(store.Text(section), value) << section;
  const std::pair<const char*, int> numbers[] = {
      {"DuiLanguage", 2052}, {"BkColor", 0x843400}, {"BkType", 1}, {"BkPicRes", 0}};
  for (const auto& [section, value] : numbers) EXPECT_EQ(store.Number(section), value) << section;
  store.WriteString("Port", "/dev/ttyUSB0");
  store.WriteInt("DuiLanguage", 1033);
  QFile ini(QString::fromStdString(store.FileName()));
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  const QByteArray text = ini.readAll();
  EXPECT_TRUE(text.contains("[Port]\nValue=/dev/ttyUSB0\n")) << text.constData();
  EXPECT_TRUE(text.contains("[DuiLanguage]\nValue=1033\n")) << text.constData();
  EXPECT_EQ(AppSettings().Text("Port"), "/dev/ttyUSB0");
  // The command line reads the same file.
  IniFile cli;
  ASSERT_TRUE(cli.Load(SettingsFilePath()));
  EXPECT_EQ(cli.Get("Port", "Value", ""), "/dev/ttyUSB0");
  EXPECT_EQ(cli.Get("DuiLanguage", "Value", ""), "1033");
}

// A file named on the command line or handed over by a later start opens as
// "open" would: the save prompt first, the loader's error box for a bad file.
std::string SampleChipFile() { return std::string(KORVANE_SOURCE_DIR) + "/data/xml/orvik/chips/KV5210.xml"; }

TEST_F(KorvaneAppTest, AFileOnTheCommandLineOpensOnceTheWindowIsUp) {
  AppOptions o = Options();
  o.openFile = SampleChipFile();
  bool loaded = false;
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    test::Pump();
    loaded = main.Description().HasTree();
  }}, o);
  EXPECT_TRUE(loaded);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(KorvaneAppTest, AnUnreadableFileOnTheCommandLineShowsTheLoadersErrorWithItsPath) {
  AppOptions o = Options();
  o.openFile = logDir.filePath("no-such-project.xml").toStdString();
  bool loaded = true;
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    test::Pump();
    loaded = main.Description().HasTree();
  }}, o);
  EXPECT_FALSE(loaded);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, FormatText(Text("ReadFileError"), o.openFile));
}

TEST_F(KorvaneAppTest, ASecondStartHandsItsFileToTheRunningWindowAfterTheSavePrompt) {
  struct Case {
    int saveAnswer;
    bool opens;
  };
  for (const Case c : {Case{IDCANCEL, false}, Case{IDNO, true}}) {
    SCOPED_TRACE(c.saveAnswer);
    boxes.clear();
    passes = 0;
    answer = [&](const std::string& text) { return text == Text("SaveNotify") ? c.saveAnswer : IDOK; };
    AppOptions first = Options();
    first.singleInstance = true;
    int secondStatus = -1;
    std::string chipAfter;
    Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
      ASSERT_TRUE(main.Description().NewDescription("KV3102", "PB_2C1A", main.ConfigTree()));
      main.Description().modified = 1;
      AppOptions second = Options();
      second.singleInstance = true;
      second.openFile = SampleChipFile();
      CKorvaneApp later(std::move(second));
      secondStatus = later.RunApplication();  // hands over and ends
      test::PumpUntil([&] { return !boxes.empty(); });
      test::Pump();
      chipAfter = main.Description().chipName;
      main.Description().modified = 0;
    }}, first);
    EXPECT_EQ(secondStatus, 0);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].text, Text("SaveNotify"));
    EXPECT_EQ(chipAfter != "KV3102", c.opens) << chipAfter;
  }
}

}  // namespace
}  // namespace korvane
