#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QStackedWidget>
#include <QTemporaryDir>

#include "DocShot.h"
#include "app/Application.h"
#include "app/AuxWindows.h"
#include "app/IDeviceManager.h"
#include "app/MainWnd.h"
#include "app/SkinBackground.h"
#include "app/SkinFrame.h"
#include "platform/bus/LoopbackBus.h"
#include "ui/LanguageStore.h"
#include "ui/ResourceManager.h"

namespace orlo {
namespace {

QString Skin(const char* relative) {
  return QString::fromStdString(ui::CResourceManager::GetInstance().ResolveFile(relative));
}

class SkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ui::CLanguageStore::GetInstance().LoadLanguage("lan_en.xml"));
    owner.resize(400, 300);
    root = new QWidget(&owner);
    root->setObjectName("root");
    root->setStyleSheet("#root { background: #1E1F22; }");
  }
  // A start of the window: its background, restored from main.ini.
  std::unique_ptr<CAuxWindows> Start() {
    AuxWindowsOptions o;
    o.skinIniPath = IniPath();
    auto aux = std::make_unique<CAuxWindows>(&owner, o);
    aux->AttachSkin(root);
    return aux;
  }
  void Click(CSkinFrame* frame, const char* name) {
    auto* b = frame->FindControl<QAbstractButton>(name);
    ASSERT_NE(b, nullptr) << name;
    b->click();
  }
  std::string IniPath() const { return dir.filePath("data/main.ini").toStdString(); }
  QByteArray Ini() const {
    QFile f(QString::fromStdString(IniPath()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QTemporaryDir dir;
  QWidget owner;
  QWidget* root = nullptr;
};

TEST_F(SkinTest, ImageChoiceIsShownAndKeptAcrossARestartColourAndOwnFileAreNot) {
  auto aux = Start();
  EXPECT_EQ(aux->Background()->Shown(), "");  // nothing chosen yet: the layout's background
  aux->OpenSkin(nullptr);
  CSkinFrame* frame = aux->Skin();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->windowType(), Qt::Popup);
  MaybeSaveShot(frame, "skin-popup.png");

  Click(frame, "skin_image_btn_2");
  EXPECT_EQ(aux->Background()->Shown(), Skin("image/skin/skin_2.png"));
  EXPECT_TRUE(root->styleSheet().contains("skin_2.png"));
  const QByteArray stored = "[SKINIMAGE]\nFLAGS=1\nIMAGE=image/skin/skin_2.png\n";
  EXPECT_EQ(Ini(), stored);

  // A colour and an own file change the background, not the stored image.
  Click(frame, "skin_color");
  EXPECT_EQ(frame->FindControl<QStackedWidget>("skin_tab")->currentIndex(), 1);
  Click(frame, "skin_color_btn_3");
  EXPECT_EQ(aux->Background()->Shown(), "#FF2A2130");
  EXPECT_TRUE(root->styleSheet().contains("rgba(42, 33, 48, 255)"));
  frame->SetFileChooser([](QWidget*) { return std::string(); });  // cancelled
  Click(frame, "skin_Custom");
  EXPECT_EQ(aux->Background()->Shown(), "#FF2A2130");
  frame->SetFileChooser([](QWidget*) { return std::string("/home/u/My \"wall\".png"); });
  Click(frame, "skin_Custom");
  EXPECT_EQ(aux->Background()->Shown(), "/home/u/My \"wall\".png");
  EXPECT_TRUE(root->styleSheet().contains(R"(url("/home/u/My \"wall\".png"))"));
  EXPECT_EQ(Ini(), stored);

  // Restart: the stored image comes back.
  aux.reset();
  root->setStyleSheet("#root { background: #1E1F22; }");
  aux = Start();
  EXPECT_EQ(aux->Background()->Shown(), Skin("image/skin/skin_2.png"));

  // The reset is kept too: the next start shows the layout's own background.
  aux->OpenSkin(nullptr);
  Click(aux->Skin(), "skin_reset");
  EXPECT_EQ(aux->Background()->Shown(), Skin("common/background.png"));
  EXPECT_EQ(Ini(), "[SKINIMAGE]\nFLAGS=0\nIMAGE=common/background.png\n");
  aux.reset();
  aux = Start();
  EXPECT_EQ(aux->Background()->Shown(), "");
}

TEST_F(SkinTest, ReceiversGoneFromTheBroadcasterTakeNothing) {
  const size_t before = CSkinBroadcaster::GetInstance().Count();
  {
    auto aux = Start();
    EXPECT_EQ(CSkinBroadcaster::GetInstance().Count(), before + 1);
  }
  EXPECT_EQ(CSkinBroadcaster::GetInstance().Count(), before);
  SkinChangedParam p;
  p.image = "image/skin/skin_1.png";
  CSkinBroadcaster::GetInstance().Broadcast(p);  // must not reach the destroyed background
  EXPECT_EQ(root->styleSheet(), "#root { background: #1E1F22; }");
}

class AboutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedData = qgetenv("XDG_DATA_HOME");
    savedCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
    qputenv("XDG_CACHE_HOME", dir.filePath("cache").toUtf8());
    ASSERT_TRUE(ui::CLanguageStore::GetInstance().LoadLanguage("lan_en.xml"));
  }
  void TearDown() override {
    if (main) main->Exit();
    delete main;
    qputenv("XDG_DATA_HOME", savedData);
    qputenv("XDG_CACHE_HOME", savedCache);
  }
  QTemporaryDir dir;
  QByteArray savedData, savedCache;
  std::shared_ptr<bus::LoopbackHub> hub = std::make_shared<bus::LoopbackHub>();
  std::unique_ptr<bus::LoopbackEndpoint> endpoint = hub->Connect();
  CMainWnd* main = nullptr;
};

TEST_F(AboutTest, AboutWindowShowsVersionLicenceAndFoldersInTheChosenLanguage) {
  MainWindowOptions options;
  options.languageIniPath = dir.filePath("config/settings.ini").toStdString();
  options.aux.skinIniPath = dir.filePath("data/main.ini").toStdString();
  main = CreateMainWindow(endpoint.get(), nullptr, options);
  ASSERT_NE(main, nullptr);
  main->SwitchLanguage(1);
  main->OnMenuCommand("about_menu");
  CAboutWnd* about = main->Aux().About();
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isVisible());
  auto text = [&](const char* name) { return about->FindControl<QLabel>(name)->text(); };
  EXPECT_EQ(text("about_version"), "Version 0.1.0");
  EXPECT_EQ(text("about_licence"), "Proprietary software. All rights reserved.");
  EXPECT_EQ(text("about_data_folder"), dir.filePath("data") + "/Tavrin ORLO/");
  EXPECT_EQ(text("about_cache_folder"), dir.filePath("cache") + "/Tavrin ORLO/");
  MaybeSaveShot(about, "about-window.png");
  // A second opening shows the same window; the language follows.
  main->OnMenuCommand("about_menu");
  EXPECT_EQ(main->Aux().About(), about);
  main->SwitchLanguage(0);
  EXPECT_EQ(text("about_version"), "版本 0.1.0");
  EXPECT_EQ(text("about_licence"), "专有软件。保留所有权利。");
  // The caption's skin button opens the skin popup under it.
  auto* skinButton = main->FindControl<QAbstractButton>("skinbtn");
  ASSERT_NE(skinButton, nullptr);
  skinButton->click();
  ASSERT_NE(main->Aux().Skin(), nullptr);
  EXPECT_TRUE(main->Aux().Skin()->isVisible());
  main->SwitchLanguage(1);
  // The popup's choice reaches the main window's own background.
  main->Aux().Skin()->FindControl<QAbstractButton>("skin_image_btn_1")->click();
  EXPECT_EQ(main->Aux().Background()->Shown(), Skin("image/skin/skin_1.png"));
  EXPECT_TRUE(main->Root()->styleSheet().contains("skin_1.png"));
  main->Aux().Skin()->hide();
  main->resize(1000, 640);
  MaybeSaveShot(main, "main-window-skin.png");
}

}  // namespace
}  // namespace orlo
