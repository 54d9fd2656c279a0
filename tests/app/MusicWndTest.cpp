// The music style window on its own, and as the main window runs it: cancelled, the file stays
// byte for byte; confirmed, the colour goes to the capture program (known by its first block)
// and the styles are saved. The slider and shutdown commands reach the capture program.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <functional>

#include "DocShot.h"
#include "app/Application.h"
#include "app/IDeviceManager.h"
#include "app/MainWnd.h"
#include "app/MusicWnd.h"
#include "platform/bus/LoopbackBus.h"
#include "platform/bus/RegisteredMessages.h"
#include "ui/DpiManager.h"
#include "ui/LanguageStore.h"

namespace orlo {
namespace {

using Commands = std::vector<std::pair<int64_t, int64_t>>;

MusicStyleSettings Styles() {
  MusicStyleSettings s;
  s.style = 2;
  s.names = {"第一组", "Drums", "第三组", ""};
  s.colours = {{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {0, 1, 0}}};
  return s;
}

void Click(ui::CWindowUI& w, const char* name) { w.FindControl<QAbstractButton>(name)->click(); }
QSlider* Slider(ui::CWindowUI& w, const char* name) { return w.FindControl<QSlider>(name); }
std::array<int, 3> Sliders(CMusicWnd& w) {
  return {Slider(w, "audio_r_slider")->value(), Slider(w, "audio_g_slider")->value(), Slider(w, "audio_b_slider")->value()};
}
QString Name(CMusicWnd& w, const char* edit) { return w.FindControl<QLineEdit>(edit)->text(); }
void Rename(CMusicWnd& w, const char* edit, const char* text) {
  w.FindControl<QLineEdit>(edit)->setText(QString::fromUtf8(text));
  w.SendNotify(w.FindControl(edit), ui::notify::kKillFocus);
}

class MusicWndTest : public ::testing::Test {
 protected:
  void TearDown() override { ui::CLanguageStore::GetInstance().LoadLanguage("lan_en.xml"); }
  void Open(CMusicWnd& w, const MusicStyleSettings& s, const char* language = "lan_en.xml") {
    ASSERT_TRUE(ui::CLanguageStore::GetInstance().LoadLanguage(language));
    w.SetSettings(s);
    ASSERT_TRUE(w.Prepare());
    w.show();  // "windowinit"
  }
};

TEST_F(MusicWndTest, OptionsAndSlidersFollowTheSelectedStyleAndOnlyItsColourChanges) {
  CMusicWnd w;
  w.SetDpi(100);  // not a DPI the toolkit takes
  EXPECT_EQ(w.Dpi(), 96);
  Open(w, Styles());
  EXPECT_TRUE(w.FindControl<QAbstractButton>("audio_select_tab3")->isChecked());
  EXPECT_FALSE(w.FindControl<QAbstractButton>("audio_select_tab1")->isChecked());
  EXPECT_EQ(Sliders(w), (std::array<int, 3>{7, 8, 9}));
  EXPECT_EQ(Slider(w, "audio_g_slider")->maximum(), 9);
  Click(w, "audio_select_tab2");
  EXPECT_EQ(Sliders(w), (std::array<int, 3>{4, 5, 6}));
  Slider(w, "audio_g_slider")->setValue(7);
  Click(w, "audio_select_tab1");
  EXPECT_EQ(Sliders(w), (std::array<int, 3>{1, 2, 3}));
  Click(w, "okbtn");
  EXPECT_EQ(w.Result(), 1);
  MusicStyleSettings expected = Styles();
  expected.style = 0;
  expected.colours[1].green = 7;
  expected.names[3] = "第四组";  // an empty name takes the default
  EXPECT_EQ(w.GetSettings(), expected);
}

TEST_F(MusicWndTest, AnEmptiedNameTakesItsDefaultShownInTheInterfaceLanguage) {
  CMusicWnd cn;
  Open(cn, Styles(), "lan_cn.xml");
  Rename(cn, "audio_edit_name3", " ");
  EXPECT_EQ(Name(cn, "audio_edit_name3"), QString::fromUtf8("第三组"));

  CMusicWnd en;
  Open(en, Styles());
  EXPECT_EQ(Name(en, "audio_edit_name1"), "Style 1");
  Rename(en, "audio_edit_name2", "");
  EXPECT_EQ(Name(en, "audio_edit_name2"), "Style 2");
  en.FindControl<QLineEdit>("audio_edit_name4")->setText("Bass");  // still being typed at the confirm
  Click(en, "okbtn");
  EXPECT_EQ(en.GetSettings().names, (std::array<std::string, 4>{"第一组", "第二组", "第三组", "Bass"}));
}

TEST_F(MusicWndTest, DocumentationShot) {
  ui::CDpiManager::SetAllDPI(96);
  CMusicWnd w;
  Open(w, Styles());
  w.FindControl<QLineEdit>("audio_edit_name4")->setText("Bass");
  MaybeSaveShot(&w, "music-window.png");
  EXPECT_GE(w.width(), 369);
}

TEST(MusicPathTest, CancelKeepsTheFileAndConfirmSendsTheColourAndSavesTheStyles) {
  QTemporaryDir dir;
  auto hub = std::make_shared<bus::LoopbackHub>();
  auto appBus = hub->Connect(), capture = hub->Connect();
  ASSERT_TRUE(capture->Publish(bus::kAudioCaptureTitle));
  std::vector<std::vector<uint8_t>> colours;
  Commands commands;
  capture->SetDataHandler([&](int64_t, uint32_t kind, const std::vector<uint8_t>& d) {
    if (kind == CMusicSettings::kColourKind) colours.push_back(d);
  });
  capture->SetMessageHandler([&](uint32_t id, int64_t w, int64_t l) {
    if (id == bus::Messages().audioRecord) commands.push_back({w, l});
  });
  MainWindowOptions options;
  options.languageIniPath = dir.filePath("settings.ini").toStdString();
  options.musicFilePath = dir.filePath("AudioFile.json").toStdString();
  std::unique_ptr<CMainWnd> window(CreateMainWindow(appBus.get(), std::make_unique<CEmptyDeviceManager>(), options));
  auto fileBytes = [&] {
    std::ifstream in(options.musicFilePath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  auto run = [&](std::function<void(CMusicWnd&)> drive) {
    QTimer::singleShot(0, window.get(), [&] { drive(*window->MusicWindow()); });
    window->OpenMusicWindow();
  };
  auto colour = [](uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> block(40, 0);
    block[0] = r, block[4] = g, block[8] = b;
    return block;
  };

  // Nothing goes to a capture program before its first block names it; then it gets the colour.
  ui::TNotifyUI slider{ui::notify::kValueChanged, nullptr, "G_light_slider", 4, 0};
  window->Notify(slider);
  EXPECT_TRUE(colours.empty() && commands.empty());
  ASSERT_TRUE(capture->SendData(bus::kMainWindowTitle, 4321, 1, std::vector<uint8_t>(2000, 0)));
  EXPECT_EQ(colours, (std::vector<std::vector<uint8_t>>{colour(9, 3, 0)}));
  window->Notify(slider);

  const std::string before = fileBytes();
  run([](CMusicWnd& w) {
    Click(w, "audio_select_tab4");
    Slider(w, "audio_b_slider")->setValue(1);
    Click(w, "closebtn");
  });
  EXPECT_EQ(fileBytes(), before);
  EXPECT_EQ(colours.size(), 1u);
  run([](CMusicWnd& w) {
    Click(w, "audio_select_tab4");
    Slider(w, "audio_g_slider")->setValue(5);
    Click(w, "okbtn");
  });
  EXPECT_EQ(window->MusicWindow(), nullptr);
  EXPECT_EQ(colours.back(), colour(9, 5, 7));
  const Json::Value info = CJsonFile().ReadDocument(options.musicFilePath)["Device"]["AudioLightInfo"];
  EXPECT_EQ(info["nAudioStyle"], 3);
  EXPECT_EQ(info["nStyleG3"], 5);

  window->Exit();
  EXPECT_EQ(commands, (Commands{{7, 4}, {2, 0}, {4, 0}, {5, 0}}));
}

}  // namespace
}  // namespace orlo
