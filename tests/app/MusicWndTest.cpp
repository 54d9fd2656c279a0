// The music style window on its own (options, sliders, names, DPI, result), and as the main
// window runs it: cancelled, the file stays byte for byte; confirmed, the colour goes to the
// audio-capture program and the styles are saved. The capture program is known by its first
// block, gets the slider commands, and the shutdown commands in order.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <functional>
#include <sstream>

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

MusicStyleSettings Styles() {
  MusicStyleSettings s;
  s.style = 2;
  s.names = {"第一组", "Drums", "第三组", ""};
  s.colours = {{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {0, 1, 0}}};
  return s;
}

class MusicWndTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ui::CLanguageStore::GetInstance().LoadLanguage("lan_en.xml");
    ui::CDpiManager::SetAllDPI(96);
  }
  template <class T>
  T* Find(CMusicWnd& w, const char* name) {
    T* c = w.FindControl<T>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  std::array<int, 3> Sliders(CMusicWnd& w) {
    return {Find<QSlider>(w, "audio_r_slider")->value(), Find<QSlider>(w, "audio_g_slider")->value(),
            Find<QSlider>(w, "audio_b_slider")->value()};
  }
  void Open(CMusicWnd& w, const MusicStyleSettings& s) {
    w.SetSettings(s);
    ASSERT_TRUE(w.Prepare());
    w.show();  // "windowinit"
  }
  void Rename(CMusicWnd& w, const char* edit, const char* text) {
    Find<QLineEdit>(w, edit)->setText(QString::fromUtf8(text));
    w.SendNotify(Find<QLineEdit>(w, edit), ui::notify::kKillFocus);
  }
};

TEST_F(MusicWndTest, OptionsAndSlidersFollowTheSelectedStyleAndOnlyItsColourChanges) {
  CMusicWnd w;
  Open(w, Styles());
  EXPECT_EQ(w.GetWindowClassName(), "MusicWnd");
  EXPECT_TRUE(Find<QRadioButton>(w, "audio_select_tab3")->isChecked());
  for (const char* other : {"audio_select_tab1", "audio_select_tab2", "audio_select_tab4"})
    EXPECT_FALSE(Find<QRadioButton>(w, other)->isChecked()) << other;
  EXPECT_EQ(Sliders(w), (std::array<int, 3>{7, 8, 9}));
  EXPECT_EQ(Find<QSlider>(w, "audio_g_slider")->maximum(), 9);

  Find<QRadioButton>(w, "audio_select_tab2")->click();
  EXPECT_EQ(Sliders(w), (std::array<int, 3>{4, 5, 6}));
  Find<QSlider>(w, "audio_g_slider")->setValue(7);
  Find<QRadioButton>(w, "audio_select_tab1")->click();
  EXPECT_EQ(Sliders(w), (std::array<int, 3>{1, 2, 3}));
  Find<QPushButton>(w, "okbtn")->click();
  EXPECT_EQ(w.Result(), 1);
  MusicStyleSettings expected = Styles();
  expected.style = 0;
  expected.colours[1].green = 7;
  expected.names[3] = "第四组";  // an empty name takes the default
  EXPECT_EQ(w.GetSettings(), expected);

  // A style without an option selects none; the sliders then stand for style 0.
  CMusicWnd none;
  MusicStyleSettings s = Styles();
  s.style = 5;
  Open(none, s);
  EXPECT_FALSE(Find<QRadioButton>(none, "audio_select_tab1")->isChecked());
  Find<QSlider>(none, "audio_r_slider")->setValue(6);
  EXPECT_EQ(none.GetSettings().colours[0], (MusicStyleColour{6, 2, 3}));
  Find<QPushButton>(none, "closebtn")->click();
  EXPECT_EQ(none.Result(), 0);
}

TEST_F(MusicWndTest, AnEmptiedNameTakesItsDefaultShownInTheInterfaceLanguage) {
  ASSERT_TRUE(ui::CLanguageStore::GetInstance().LoadLanguage("lan_cn.xml"));
  CMusicWnd cn;
  Open(cn, Styles());
  Rename(cn, "audio_edit_name3", "  ");
  EXPECT_EQ(Find<QLineEdit>(cn, "audio_edit_name3")->text(), QString::fromUtf8("第三组"));
  Rename(cn, "audio_edit_name2", "");
  EXPECT_EQ(Find<QLineEdit>(cn, "audio_edit_name2")->text(), QString::fromUtf8("第二组"));
  EXPECT_EQ(cn.GetSettings().names, (std::array<std::string, 4>{"第一组", "第二组", "第三组", "第四组"}));

  ASSERT_TRUE(ui::CLanguageStore::GetInstance().LoadLanguage("lan_en.xml"));
  CMusicWnd en;
  en.SetDpi(100);
  EXPECT_EQ(en.Dpi(), 96);
  en.SetDpi(144);
  Open(en, Styles());
  EXPECT_EQ(en.Dpi(), 144);
  EXPECT_EQ(Find<QLineEdit>(en, "audio_edit_name1")->text(), "Style 1");
  EXPECT_EQ(Find<QLineEdit>(en, "audio_edit_name2")->text(), "Drums");
  Rename(en, "audio_edit_name2", "");
  EXPECT_EQ(Find<QLineEdit>(en, "audio_edit_name2")->text(), "Style 2");
  Find<QLineEdit>(en, "audio_edit_name4")->setText("Bass");  // still being typed at the confirm
  Find<QPushButton>(en, "okbtn")->click();
  EXPECT_EQ(en.GetSettings().names, (std::array<std::string, 4>{"第一组", "第二组", "第三组", "Bass"}));
}

TEST_F(MusicWndTest, DocumentationShot) {
  ASSERT_TRUE(ui::CLanguageStore::GetInstance().LoadLanguage("lan_en.xml"));
  ui::CDpiManager::SetAllDPI(96);
  CMusicWnd w;
  Open(w, Styles());
  Find<QLineEdit>(w, "audio_edit_name4")->setText("Bass");
  w.adjustSize();
  MaybeSaveShot(&w, "music-window.png");
  EXPECT_GE(w.width(), 369);
}

// The main window with the audio-capture program as a bus peer.
class MusicPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hub_ = std::make_shared<bus::LoopbackHub>();
    appBus_ = hub_->Connect();
    capture_ = hub_->Connect();
    ASSERT_TRUE(capture_->Publish(bus::kAudioCaptureTitle));
    capture_->SetDataHandler([this](int64_t, uint32_t kind, const std::vector<uint8_t>& d) {
      if (kind == CMusicSettings::kColourKind) colours_.push_back(d);
    });
    capture_->SetMessageHandler([this](uint32_t id, int64_t w, int64_t l) {
      if (id == bus::Messages().audioRecord) commands_.push_back({w, l});
    });
    MainWindowOptions options;
    options.languageIniPath = dir_.filePath("config/settings.ini").toStdString();
    options.musicFilePath = MusicFile();
    window_ = CreateMainWindow(appBus_.get(), std::make_unique<CEmptyDeviceManager>(), options);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (window_) window_->Exit();
    delete window_;
  }
  std::string MusicFile() const { return dir_.filePath("data/AudioFile.json").toStdString(); }
  std::string FileBytes() const {
    std::ifstream in(MusicFile(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Runs the music window modally; `drive` works it once it is up.
  void RunMusicWindow(std::function<void(CMusicWnd&)> drive) {
    QTimer::singleShot(0, window_, [this, drive] {
      ASSERT_NE(window_->MusicWindow(), nullptr);
      drive(*window_->MusicWindow());
    });
    window_->OpenMusicWindow();
    EXPECT_EQ(window_->MusicWindow(), nullptr);
  }
  void Click(CMusicWnd& w, const char* name) { w.FindControl<QAbstractButton>(name)->click(); }
  static std::vector<uint8_t> Block(uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> block(40, 0);
    block[0] = r, block[4] = g, block[8] = b;
    return block;
  }

  QTemporaryDir dir_;
  std::shared_ptr<bus::LoopbackHub> hub_;
  std::unique_ptr<bus::LoopbackEndpoint> appBus_, capture_;
  std::vector<std::vector<uint8_t>> colours_;
  std::vector<std::pair<int64_t, int64_t>> commands_;
  CMainWnd* window_ = nullptr;
};

TEST_F(MusicPathTest, CancelKeepsTheFileAndConfirmSendsTheColourAndSavesTheStyles) {
  // Window-init put the default copy in place; nothing was sent, no capture program is known.
  EXPECT_EQ(window_->Music().Style().colours[3], (MusicStyleColour{9, 0, 7}));
  ui::TNotifyUI slider{ui::notify::kValueChanged, nullptr, "G_light_slider", 4, 0};
  window_->Notify(slider);
  EXPECT_TRUE(colours_.empty());
  EXPECT_TRUE(commands_.empty());

  // Its first level block names it: it gets the selected style's colour.
  ASSERT_TRUE(capture_->SendData(bus::kMainWindowTitle, 4321, 1, std::vector<uint8_t>(2000, 0)));
  EXPECT_EQ(window_->AudioCaptureId(), 4321);
  EXPECT_EQ(colours_, (std::vector<std::vector<uint8_t>>{Block(9, 3, 0)}));
  window_->Notify(slider);
  EXPECT_EQ(commands_, (std::vector<std::pair<int64_t, int64_t>>{{7, 4}}));

  const std::string before = FileBytes();
  RunMusicWindow([this](CMusicWnd& w) {
    Click(w, "audio_select_tab4");
    w.FindControl<QSlider>("audio_b_slider")->setValue(1);
    Click(w, "closebtn");
  });
  EXPECT_EQ(FileBytes(), before);
  EXPECT_EQ(colours_.size(), 1u);

  RunMusicWindow([this](CMusicWnd& w) {
    Click(w, "audio_select_tab4");
    w.FindControl<QSlider>("audio_g_slider")->setValue(5);
    Click(w, "okbtn");
  });
  EXPECT_EQ(colours_.back(), Block(9, 5, 7));
  const Json::Value info = CJsonFile().ReadDocument(MusicFile())["Device"]["AudioLightInfo"];
  EXPECT_EQ(info["nAudioStyle"].asInt(), 3);
  EXPECT_EQ(info["nStyleG3"].asInt(), 5);
  EXPECT_EQ(info["nStyleB3"].asInt(), 7);
  EXPECT_EQ(info["nStyleG0"].asInt(), 3);

  window_->Exit();
  EXPECT_EQ(commands_, (std::vector<std::pair<int64_t, int64_t>>{{7, 4}, {2, 0}, {4, 0}, {5, 0}}));
}

}  // namespace
}  // namespace orlo
