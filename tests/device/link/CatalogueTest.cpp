#include "device/link/Catalogue.h"

#include <gtest/gtest.h>

#include "FakeHidBackend.h"

using namespace orlo;
using orlo::test::FakeHidBackend;

namespace {

const std::string kReceiverCommand = "/dev/hidraw4#vid_320f&pid_222f&mi_01&col04";
const std::string kReceiverCompanion = "/dev/hidraw4#vid_320f&pid_222f&mi_01&col03";

// A backend holding the receiver's command and companion collections.
std::shared_ptr<FakeHidBackend> ReceiverBackend() {
  auto b = std::make_shared<FakeHidBackend>();
  b->devices[kReceiverCommand] = {{0x320F, 0x222F, 0x0100}, orlo::test::VendorCollectionDescriptor(), 0};
  b->devices[kReceiverCompanion] = {{0x320F, 0x222F, 0x0100}, orlo::test::ConsumerCollectionDescriptor(), 0};
  return b;
}

}  // namespace

TEST(Catalogue, TablesAreConsistent) {
  // Partners point at each other and differ only in the kind's connection.
  for (int i = 0; i < kInterfaceCount; ++i) {
    const auto& r = kInterfaceTable[static_cast<size_t>(i)];
    EXPECT_EQ(r.present, 0);
    EXPECT_TRUE(r.devicePath.empty());
    if (!r.hasPartner) continue;
    ASSERT_LT(r.partnerIndex, kInterfaceCount) << i;
    const auto& p = kInterfaceTable[r.partnerIndex];
    EXPECT_EQ(p.partnerIndex, i) << i;
    EXPECT_EQ(FoldKind(p.kind), FoldKind(r.kind)) << i;
    EXPECT_NE(p.kind, r.kind) << i;
    EXPECT_EQ(p.variant, r.variant) << i;
  }
  // The start-up tabs find their interface rows.
  EXPECT_EQ(FindInterfaceRow(0x320F, 0x222E, kKindMouse, kVariantCommand), 4);
  EXPECT_EQ(FindInterfaceRow(0x0000, 0x0000, kKindKeyboard, kVariantCommand), 0);
  EXPECT_EQ(FindInterfaceRow(0x320F, 0x222E, kKindMouse, 0x01), -1);
}

TEST(Catalogue, PathParsers) {
  const std::string path = "\\\\?\\hid#vid_320f&pid_222f&mi_01&col04#8&1f2e3d4c&0&0003#{guid}";
  EXPECT_EQ(ParseVendorId(path), 0x320F);
  EXPECT_EQ(ParseProductId(path), 0x222F);
  EXPECT_EQ(ParseInterfaceNumber(path), 1);
  EXPECT_EQ(ParseCollectionNumber(path), 4);

  const std::string upper = "\\\\?\\HID#VID_320F&PID_222F&MI_01&COL04#X";
  EXPECT_EQ(ParseVendorId(upper), 0x320F);
  EXPECT_EQ(ParseProductId(upper), 0x222F);
  EXPECT_EQ(ParseInterfaceNumber(upper), 1);
  EXPECT_EQ(ParseCollectionNumber(upper), 4);

  EXPECT_EQ(ParseProductId("/dev/hidraw0#vid_320f"), 0);      // missing marker
  EXPECT_EQ(ParseVendorId("/dev/hidraw0#vid_&pid_1"), 0);     // no digits
  EXPECT_EQ(ParseVendorId("/dev/hidraw0#vid_1320f&x"), 0x320F);  // low 16 bits
  EXPECT_EQ(ParseCollectionNumber("/dev/hidraw0#vid_1&pid_2&mi_00"), 0);
  EXPECT_EQ(ParseInterfaceNumber("vid_1&pid_2&mi_0a"), 0x0A);
}

TEST(Catalogue, PreFilterByPath) {
  auto slots = MakeSlotList();
  EXPECT_TRUE(PreFilter(slots, ProbeFromPath(kReceiverCommand)));
  EXPECT_TRUE(PreFilter(slots, ProbeFromPath(kReceiverCompanion)));
  EXPECT_FALSE(PreFilter(slots, ProbeFromPath("/dev/hidraw4#vid_320f&mi_01&col04")));  // no pid_
  EXPECT_FALSE(PreFilter(slots, ProbeFromPath("/dev/hidraw4#vid_320f&pid_222f&mi_01&col02")));
  EXPECT_FALSE(PreFilter(slots, ProbeFromPath("/dev/hidraw4#vid_320f&pid_222f&mi_02&col04")));
  slots[6].present = 1;
  slots[6].devicePath = kReceiverCommand;
  EXPECT_FALSE(PreFilter(slots, ProbeFromPath(kReceiverCommand)));
}

TEST(Catalogue, RecognizeClaimsSlotsOnceAndClosesProbe) {
  auto b = ReceiverBackend();
  auto slots = MakeSlotList();
  EXPECT_EQ(RecognizeInterface(slots, kReceiverCommand, b), 6);
  EXPECT_EQ(RecognizeInterface(slots, kReceiverCompanion, b), 7);
  EXPECT_EQ(slots[6].present, 1);
  EXPECT_EQ(slots[6].devicePath, kReceiverCommand);
  EXPECT_EQ(slots[7].devicePath, kReceiverCompanion);
  EXPECT_FALSE(b->shared->lastOpenWrite);  // the probe opens read-only
  EXPECT_EQ(b->shared->liveDevices, 0);

  // A second interface with the same identity waits until the slot is freed by a removal.
  const std::string twin = "/dev/hidraw9#vid_320f&pid_222f&mi_01&col04";
  b->devices[twin] = b->devices[kReceiverCommand];
  EXPECT_EQ(RecognizeInterface(slots, twin, b), -1);
  EXPECT_EQ(slots[6].devicePath, kReceiverCommand);
  slots[6].present = 0;
  slots[6].devicePath.clear();
  EXPECT_EQ(RecognizeInterface(slots, twin, b), 6);
  EXPECT_EQ(b->shared->liveDevices, 0);
}

TEST(Catalogue, RecognizeRejectsMismatchedCapsAndPlaceholderRows) {
  auto b = ReceiverBackend();
  // The right path, but the collection opened is not the vendor command collection.
  b->devices[kReceiverCommand].descriptor = orlo::test::ConsumerCollectionDescriptor();
  // A path without vid_/pid_ pre-filters against the placeholder rows (0x0000), but the device
  // reports a real vendor id, so nothing is claimed.
  const std::string bare = "/dev/hidraw7#mi_01&col04";
  b->devices[bare] = {{0x1234, 0x5678, 0}, orlo::test::VendorCollectionDescriptor(), 0};
  auto slots = MakeSlotList();
  EXPECT_EQ(RecognizeInterface(slots, kReceiverCommand, b), -1);
  EXPECT_EQ(RecognizeInterface(slots, bare, b), -1);
  EXPECT_EQ(RecognizeInterface(slots, "/dev/hidraw8#vid_320f&pid_222e&mi_01&col04", b), -1);  // cannot open
  for (const auto& s : slots) {
    EXPECT_EQ(s.present, 0);
    EXPECT_TRUE(s.devicePath.empty());
  }
  EXPECT_EQ(b->shared->liveDevices, 0);
}

TEST(Catalogue, TabRowsKindsAndIcons) {
  EXPECT_EQ(FindTabRow(0x320F, 0x222F, kKindMouseReceiver, 0), -1);
  // Callers fold the kind and use the partner row's identity.
  const auto& receiver = kInterfaceTable[6];
  const auto& wired = kInterfaceTable[receiver.partnerIndex];
  EXPECT_EQ(FindTabRow(wired.vendorId, wired.productId, FoldKind(receiver.kind), receiver.variant), 0);
  EXPECT_EQ(FindTabRow(0, 0, FoldKind(kKindKeyboardReceiver), 0), 1);

  // Receiver kinds show their wired kind's icons; a mousepad variant without icons has none.
  EXPECT_EQ(IconSetWord(kKindMouseReceiver, 0), "ms");
  EXPECT_EQ(IconSetWord(kKindMousePad, 1), "soft_mp");
  EXPECT_TRUE(MakeIconSet(IconSetWord(kKindMousePad, 2)).normal.empty());
  EXPECT_EQ(MakeIconSet("ms").synchroSelected, "common/device_ico/ms_device_synchro_selected.png");
}
