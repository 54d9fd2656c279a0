// The driver takes its active profile from the device's profile list: a first start creates the
// list and one profile document, and every later device object loads the selected profile.
#include <gtest/gtest.h>

#include <filesystem>

#include "device/mouse/MouseDeviceTestSupport.h"
#include "profile/JsonFile.h"

namespace orlo {
namespace {

class ProfileSelectionTest : public testing_support::MouseRig {
 protected:
  // A driver built as the application builds it: names, slot entry, then its page.
  std::unique_ptr<CTessaroMouseDevice> NewDriver() {
    auto d = std::make_unique<CTessaroMouseDevice>(backend_);
    d->SetSlotEntry(2, 0, "");
    d->OpenProfileList();
    return d;
  }
  Json::Value ListDoc() const { return CJsonFile().ReadDocument(DeviceFolder() + "ProfileList.ini"); }
  std::vector<std::string> ProfileDocuments() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(DeviceFolder()))
      if (e.path().extension() == ".Json") names.push_back(e.path().filename().string());
    return names;
  }
  static int StageX(CTessaroMouseDevice& d, int stage) {
    const auto stages = d.Profile().GetDPIStages();
    return stage < static_cast<int>(stages.size()) ? stages[static_cast<size_t>(stage)].dpiX : -1;
  }
};

TEST_F(ProfileSelectionTest, FirstStartCreatesTheListAndTheSelectedDocumentAndARestartLoadsTheChange) {
  Connect(false);
  mouse_->OpenProfileList();
  const Json::Value list = ListDoc();
  ASSERT_EQ(list["profilelist"].size(), 1u);
  EXPECT_EQ(list["profileselect"].asInt(), 0);
  const std::string uuid = list["profilelist"][0]["profileUUID"].asString();
  ASSERT_FALSE(uuid.empty());
  EXPECT_EQ(mouse_->ActiveProfileId(), uuid);
  EXPECT_EQ(ProfileDocuments(), std::vector<std::string>{uuid + ".Json"});

  mouse_->OnFirstContact();
  mouse_->StopLightThread();
  EXPECT_EQ(mouse_->GetProfileName(), DeviceFolder() + uuid + ".Json");
  ASSERT_NE(StageX(*mouse_, 2), 1234);
  auto stages = mouse_->Profile().GetDPIStages();
  stages[2].dpiX = stages[2].dpiY = 1234;
  mouse_->Profile().SetDPIStages(stages);
  mouse_->NotifyProfileChanged();
  mouse_.reset();

  // Restart: a new object finds the same list and profile and nothing new is created.
  auto again = NewDriver();
  EXPECT_EQ(again->ActiveProfileId(), uuid);
  again->LoadProfile();
  EXPECT_EQ(StageX(*again, 2), 1234);
  EXPECT_EQ(ListDoc()["profilelist"].size(), 1u);
  EXPECT_EQ(ProfileDocuments().size(), 1u);
  // The document keeps the names the list gave it.
  const Json::Value doc = CJsonFile().ReadDocument(DeviceFolder() + uuid + ".Json");
  EXPECT_EQ(doc["profileUUID"].asString(), uuid);
  EXPECT_EQ(doc["profilename"].asString(), "profile1");
}

TEST_F(ProfileSelectionTest, TheStoredSelectionIsLoadedAndAMissingDocumentComesFromTheDefaults) {
  auto first = NewDriver();
  const std::string firstId = first->ActiveProfileId();
  first->LoadProfile();
  auto changed = first->Profile().GetDPIStages();
  ASSERT_FALSE(changed.empty());
  changed[0].dpiX = changed[0].dpiY = 777;
  first->Profile().SetDPIStages(changed);
  first->NotifyProfileChanged();
  // A second profile, selected and then its document lost.
  ASSERT_EQ(first->ProfileList().AddProfile(), 1);
  ASSERT_TRUE(first->ProfileList().SelectProfile(1));
  const std::string secondId = first->ProfileList().GetSelectedUUID();
  ASSERT_NE(secondId, firstId);
  first.reset();
  std::filesystem::remove(DeviceFolder() + secondId + ".Json");

  auto next = NewDriver();
  EXPECT_EQ(next->ActiveProfileId(), secondId);
  next->LoadProfile();
  EXPECT_EQ(next->GetProfileName(), DeviceFolder() + secondId + ".Json");
  EXPECT_NE(StageX(*next, 0), 777);  // the other profile's change stays there
  EXPECT_TRUE(std::filesystem::exists(DeviceFolder() + secondId + ".Json"));
}

}  // namespace
}  // namespace orlo
