// A supported device whose node refuses this user: the scan reports it once instead of showing
// nothing, and the command the window offers installs the access rule.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <set>

#include "app/AccessRuleCommand.h"
#include "app/SlotScanner.h"
#include "device/link/FakeHidBackend.h"

namespace orlo {
namespace {

const std::string kWiredCommand = "/dev/hidraw3#vid_320f&pid_222e&mi_01&col04";
const std::string kWiredCompanion = "/dev/hidraw3#vid_320f&pid_222e&mi_01&col03";
const std::string kTyping = "/dev/hidraw2#vid_320f&pid_222e&mi_00";
const std::string kOtherVendor = "/dev/hidraw5#vid_1234&pid_5678&mi_01&col04";

// The fake backend, with nodes whose permissions refuse this user.
class LockedBackend : public test::FakeHidBackend {
 public:
  bool AccessDenied(const std::string& path) override {
    ++deniedQueries;
    return locked.count(path) > 0;
  }
  std::unique_ptr<hid::HidDevice> Open(const std::string& path, bool read, bool write) override {
    if (locked.count(path)) return nullptr;
    return FakeHidBackend::Open(path, read, write);
  }
  std::set<std::string> locked;
  int deniedQueries = 0;
};

}  // namespace

TEST(ScanAccessDenied, ASupportedNodeThatRefusesTheUserIsReportedOnceUntilItOpens) {
  auto backend = std::make_shared<LockedBackend>();
  backend->listed = {kTyping, kWiredCommand, kWiredCompanion, kOtherVendor};
  backend->locked = {kTyping, kWiredCommand, kWiredCompanion, kOtherVendor};
  CSlotScanner scanner(backend);
  std::vector<std::string> denied;
  int arrivals = 0;
  auto arrival = [&](int) { return ++arrivals, true; };
  auto onDenied = [&](const std::string& path) { return denied.push_back(path), true; };

  scanner.Pass(arrival, {}, {}, onDenied);
  // Only the table's interfaces are asked about: not the typing interface, not another vendor's.
  EXPECT_EQ(denied, (std::vector<std::string>{kWiredCommand, kWiredCompanion}));
  EXPECT_EQ(backend->deniedQueries, 2);
  scanner.Pass(arrival, {}, {}, onDenied);
  EXPECT_EQ(denied.size(), 2u);  // still refused: not again
  EXPECT_EQ(arrivals, 0);

  // The rule is installed: the interfaces open and bind, and nothing more is reported.
  backend->locked.clear();
  backend->devices[kWiredCommand] = {{0x320F, 0x222E, 0x0100}, test::VendorCollectionDescriptor(), 0};
  backend->devices[kWiredCompanion] = {{0x320F, 0x222E, 0x0100}, test::ConsumerCollectionDescriptor(), 0};
  scanner.Pass(arrival, {}, {}, onDenied);
  EXPECT_EQ(arrivals, 2);
  EXPECT_EQ(denied.size(), 2u);
  EXPECT_EQ(scanner.Slot(4).devicePath, kWiredCommand);
}

TEST(ScanAccessDenied, AFailedProbeIsNoDenialAndAReturningRefusalIsReportedAgain) {
  auto backend = std::make_shared<LockedBackend>();
  backend->listed = {kWiredCommand};
  CSlotScanner scanner(backend);
  std::vector<std::string> denied;
  auto onDenied = [&](const std::string& path) { return denied.push_back(path), true; };

  scanner.Pass({}, {}, {}, onDenied);  // listed but not openable for another reason
  EXPECT_TRUE(denied.empty());
  backend->locked = {kWiredCommand};
  scanner.Pass({}, {}, {}, onDenied);
  backend->listed.clear();  // unplugged
  scanner.Pass({}, {}, {}, onDenied);
  backend->listed = {kWiredCommand};  // plugged again, still refused
  scanner.Pass({}, {}, {}, onDenied);
  EXPECT_EQ(denied, (std::vector<std::string>{kWiredCommand, kWiredCommand}));

  // A stopping handler ends the pass.
  backend->listed = {kWiredCommand, kWiredCompanion};
  backend->locked = {kWiredCommand, kWiredCompanion};
  CSlotScanner fresh(backend);
  int calls = 0;
  EXPECT_EQ(fresh.Pass({}, {}, {}, [&](const std::string&) { return ++calls, false; }),
            CSlotScanner::PassResult::Stopped);
  EXPECT_EQ(calls, 1);
}

TEST(AccessRuleCommand, PrintsTheRuleIntoUdevsFolderAndReappliesTheRules) {
  EXPECT_EQ(AccessRuleInstallCommand("/usr/bin/orloctl"),
            "/usr/bin/orloctl udev-rule | sudo tee /etc/udev/rules.d/70-tavrin-orlo.rules >/dev/null && "
            "sudo udevadm control --reload && sudo udevadm trigger --subsystem-match=hidraw");
  // A path the shell would split or expand is quoted.
  EXPECT_EQ(AccessRuleInstallCommand("/home/a b/$it's/orloctl").substr(0, 32), "'/home/a b/$it'\\''s/orloctl' ude");

  QTemporaryDir dir;
  const std::string bin = dir.path().toStdString();
  EXPECT_EQ(OrloctlBeside(bin + "/orlo"), "orloctl");
  std::ofstream(bin + "/orloctl") << "#!/bin/sh\n";
  EXPECT_EQ(OrloctlBeside(bin + "/orlo"), bin + "/orloctl");
  EXPECT_EQ(OrloctlBeside(""), "orloctl");
}

}  // namespace orlo
