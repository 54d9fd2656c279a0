// Layouts built from XML through the control factory, and lookup by name.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

#include "TestSupport.h"
#include "ui/ControlFactory.h"
#include "ui/DeviceKeyButtonUI.h"
#include "ui/DialogBuilder.h"
#include "ui/ResourceManager.h"
#include "ui/SelectPanelUI.h"

namespace orlo::ui {
namespace {

const char* kPanelWidgets = R"(
  <widget class="SelectPanel" name="device_picture">
   <property name="geometry"><rect><x>0</x><y>0</y><width>300</width><height>200</height></rect></property>
   <widget class="DeviceKeyButton" name="key_1">
    <property name="geometry"><rect><x>10</x><y>10</y><width>40</width><height>40</height></rect></property>
   </widget>
   <widget class="CDeviceKeyButtonUI" name="light_2">
    <property name="geometry"><rect><x>60</x><y>10</y><width>40</width><height>40</height></rect></property>
   </widget>
   <widget class="QLabel" name="picture_caption"/>
  </widget>
)";

const char* kPanelCustom = R"(
  <customwidget><class>SelectPanel</class><extends>QWidget</extends><header>x.h</header><container>1</container></customwidget>
  <customwidget><class>DeviceKeyButton</class><extends>QPushButton</extends><header>x.h</header></customwidget>
  <customwidget><class>CDeviceKeyButtonUI</class><extends>QPushButton</extends><header>x.h</header></customwidget>
)";

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    RegisterToolkitControls();
  }
  QTemporaryDir dir_;
};

TEST_F(LayoutTest, CustomClassesAreBuiltWithTheirRealTypeInShortAndLongForm) {
  const std::string path = test::WriteLayout(dir_, "panel.xml", kPanelWidgets, kPanelCustom);
  CDialogBuilder builder;
  std::unique_ptr<QWidget> root(builder.Create(path));
  ASSERT_NE(root, nullptr) << builder.LastError();

  auto* panel = qobject_cast<CSelectPanelUI*>(FindSubControlByName(root.get(), "device_picture"));
  ASSERT_NE(panel, nullptr);
  EXPECT_NE(qobject_cast<CDeviceKeyButtonUI*>(FindSubControlByName(panel, "key_1")), nullptr);
  EXPECT_NE(qobject_cast<CDeviceKeyButtonUI*>(FindSubControlByName(panel, "light_2")), nullptr);
  EXPECT_NE(qobject_cast<QLabel*>(FindSubControlByName(root.get(), "picture_caption")), nullptr);
  EXPECT_EQ(FindSubControlByName(panel, "key_1")->geometry(), QRect(10, 10, 40, 40));
}

TEST_F(LayoutTest, UnregisteredCustomClassFailsInsteadOfBecomingItsBase) {
  const std::string path = test::WriteLayout(
      dir_, "unknown.xml", R"(<widget class="CircleGauge" name="gauge"/>)",
      R"(<customwidget><class>CircleGauge</class><extends>QWidget</extends><header>x.h</header></customwidget>)");
  CDialogBuilder builder;
  QWidget* root = builder.Create(path);
  EXPECT_EQ(root, nullptr);
  EXPECT_NE(builder.LastError().find("CircleGauge"), std::string::npos) << builder.LastError();
}

TEST_F(LayoutTest, CallbackIsAskedBeforeTheFactory) {
  struct Callback : IDialogBuilderCallback {
    QWidget* CreateControl(const std::string& cls, QWidget* parent) override {
      asked.push_back(cls);
      return cls == "DeviceKeyButton" ? new QLabel(parent) : nullptr;
    }
    std::vector<std::string> asked;
  } callback;
  const std::string path = test::WriteLayout(dir_, "cb.xml", kPanelWidgets, kPanelCustom);
  CDialogBuilder builder;
  std::unique_ptr<QWidget> root(builder.Create(path, &callback));
  ASSERT_NE(root, nullptr) << builder.LastError();
  EXPECT_NE(qobject_cast<QLabel*>(FindSubControlByName(root.get(), "key_1")), nullptr);
  // The factory still supplies what the callback declines.
  EXPECT_NE(qobject_cast<CDeviceKeyButtonUI*>(FindSubControlByName(root.get(), "light_2")), nullptr);
  EXPECT_NE(std::find(callback.asked.begin(), callback.asked.end(), "SelectPanel"), callback.asked.end());
}

TEST_F(LayoutTest, FactoryMatchesNamesIgnoringCaseAndRejectsUnknownNames) {
  auto& factory = CControlFactory::GetInstance();
  std::unique_ptr<QWidget> a(factory.CreateControl("selectpanel", nullptr));
  std::unique_ptr<QWidget> b(factory.CreateControl("CSELECTPANELUI", nullptr));
  EXPECT_NE(qobject_cast<CSelectPanelUI*>(a.get()), nullptr);
  EXPECT_NE(qobject_cast<CSelectPanelUI*>(b.get()), nullptr);
  EXPECT_EQ(factory.CreateControl("Panel", nullptr), nullptr);
  EXPECT_EQ(factory.CreateControl("", nullptr), nullptr);
}

TEST_F(LayoutTest, LookupByNameGivesNullForAbsentOrEmptyNames) {
  const std::string path = test::WriteLayout(dir_, "find.xml", kPanelWidgets, kPanelCustom);
  test::RecordingWindow window(path);
  ASSERT_TRUE(window.Create());
  EXPECT_NE(window.FindControl("key_1"), nullptr);
  EXPECT_NE(window.FindControl<CSelectPanelUI>("device_picture"), nullptr);
  EXPECT_EQ(window.FindControl<CSelectPanelUI>("key_1"), nullptr);  // wrong type
  EXPECT_EQ(window.FindControl("key_99"), nullptr);
  EXPECT_EQ(window.FindControl(""), nullptr);
  EXPECT_EQ(FindSubControlByName(window.FindControl("key_1"), "device_picture"), nullptr);  // not below
  EXPECT_EQ(FindSubControlByName(nullptr, "key_1"), nullptr);
}

TEST_F(LayoutTest, SubtreeBuiltIntoAWindowWorksBeforeTheEventLoopRuns) {
  const std::string page = test::WriteLayout(
      dir_, "page.xml",
      R"(<widget class="QPushButton" name="page_btn"><property name="textid" stdset="0"><string>msg_confirm</string></property></widget>)");
  const std::string host = test::WriteLayout(dir_, "host.xml", "");
  test::RecordingWindow window(host);
  ASSERT_TRUE(window.Create());
  CDialogBuilder builder;
  QWidget* subtree = builder.Create(page, nullptr, window.FindControl("root"));
  ASSERT_NE(subtree, nullptr) << builder.LastError();
  auto* button = qobject_cast<QPushButton*>(FindSubControlByName(subtree, "page_btn"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), QString("OK"));
  button->click();
  EXPECT_EQ(window.SendersOf("click"), std::vector<std::string>{"page_btn"});
}

TEST_F(LayoutTest, LayoutNamesResolveThroughTheIndexAndEitherSeparator) {
  auto& resources = CResourceManager::GetInstance();
  const std::string skin = resources.GetResourcePath();
  EXPECT_EQ(resources.ResolveLayout("XML_MSG"), skin + "XML/CustomControlXML/MessageBox.xml");
  EXPECT_EQ(resources.ResolveLayout("XML\\CustomControlXML\\MessageBox.xml"),
            skin + "XML/CustomControlXML/MessageBox.xml");
  EXPECT_EQ(resources.ResolveLayout("XML_NOT_THERE"), "");
  EXPECT_EQ(resources.ResolveLayout(""), "");
  CDialogBuilder builder;
  EXPECT_EQ(builder.Create("XML\\CustomControlXML\\Missing.xml"), nullptr);
  EXPECT_FALSE(builder.LastError().empty());
}

}  // namespace
}  // namespace orlo::ui
