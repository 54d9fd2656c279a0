#include "platform/hid/HidrawBackend.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace orlo::hid;
namespace fs = std::filesystem;

namespace {

// Two top-level collections: one with report id 1, one with report id 2; 4-byte input reports.
const std::vector<uint8_t> kTwoCollections = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x03, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0,
    0x06, 0x00, 0xFF, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x02, 0x09, 0x01, 0x75, 0x08, 0x95, 0x03,
    0x81, 0x02, 0xC0};
const std::vector<uint8_t> kOneCollection = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x01, 0x15,
                                             0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0xC0};

const char kUevent[] =
    "DRIVER=hid-generic\n"
    "HID_ID=0003:0000320F:0000222E\n"
    "HID_NAME=Test Gaming Mouse\n"
    "HID_PHYS=usb-0000:00:14.0-2/input1\n"
    "HID_UNIQ=\n"
    "MODALIAS=hid:b0003g0001v0000320Fp0000222E\n";

void WriteFile(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << text;
}
void WriteFile(const fs::path& p, const std::vector<uint8_t>& bytes) {
  WriteFile(p, std::string(bytes.begin(), bytes.end()));
}

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/orlo-hidraw-XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// A device on one end of a packet socket pair; the test plays the kernel on the other end.
struct SocketDevice {
  std::unique_ptr<HidDevice> dev;
  int peer = -1;
  SocketDevice(const std::vector<uint8_t>& descriptor, int collection) {
    int sv[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, sv), 0);
    dev = MakeHidrawDevice(sv[0], {0x320F, 0x222E, 0x0102}, descriptor, collection);
    peer = sv[1];
  }
  ~SocketDevice() {
    if (peer >= 0) close(peer);
  }
  void Send(std::vector<uint8_t> report) { ASSERT_EQ(write(peer, report.data(), report.size()), ssize_t(report.size())); }
};

}  // namespace

TEST(HidrawText, UeventAndPhys) {
  auto ev = ParseHidUevent(kUevent);
  ASSERT_TRUE(ev);
  EXPECT_EQ(ev->bus, 3);
  EXPECT_EQ(ev->vendorId, 0x320F);
  EXPECT_EQ(ev->productId, 0x222E);
  EXPECT_EQ(ev->name, "Test Gaming Mouse");
  EXPECT_EQ(InterfaceNumberFromPhys(ev->phys), 1);
  // CR LF lines and short ids parse the same.
  auto crlf = ParseHidUevent("HID_ID=0003:320f:222f\r\nHID_PHYS=usb-1/input3\r\n");
  ASSERT_TRUE(crlf);
  EXPECT_EQ(crlf->productId, 0x222F);
  EXPECT_EQ(InterfaceNumberFromPhys(crlf->phys), 3);

  EXPECT_FALSE(ParseHidUevent("HID_NAME=x\nHID_PHYS=usb-1/input1\n"));
  EXPECT_FALSE(ParseHidUevent("HID_ID=0003:zz:0001\n"));
  EXPECT_FALSE(ParseHidUevent(""));
  EXPECT_EQ(InterfaceNumberFromPhys("usb-0000:00:14.0-2/input12"), 12);
  EXPECT_EQ(InterfaceNumberFromPhys("aa:bb:cc:dd:ee:ff"), 0);  // not a USB path
  EXPECT_EQ(InterfaceNumberFromPhys("usb-1/input"), 0);
}

TEST(HidrawText, CollectionPaths) {
  EXPECT_EQ(MakeCollectionPath("/dev/hidraw3", 0x320F, 0x222E, 1, 4, 3), "/dev/hidraw3#vid_320f&pid_222e&mi_01&col04");
  EXPECT_EQ(MakeCollectionPath("/dev/hidraw0", 0x1, 0x2, 3, 1, 0), "/dev/hidraw0#vid_0001&pid_0002&mi_03");
  std::string node;
  int index = -1;
  ASSERT_TRUE(SplitCollectionPath("/dev/hidraw3#vid_320f&pid_222e&mi_01&col04", node, index));
  EXPECT_EQ(node, "/dev/hidraw3");
  EXPECT_EQ(index, 3);
  ASSERT_TRUE(SplitCollectionPath("/dev/hidraw0#vid_0001&pid_0002&mi_03", node, index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(SplitCollectionPath("/dev/hidraw0", node, index));
  EXPECT_FALSE(SplitCollectionPath("/dev/hidraw0#vid_0001&col00", node, index));
}

TEST(HidrawBackend, EnumerationSkipsUnreadableNodesAndKeepsWalking) {
  TempDir tmp;
  const auto sys = tmp.path() / "sys";
  WriteFile(sys / "hidraw0/device/uevent", kUevent);
  WriteFile(sys / "hidraw0/device/report_descriptor", kTwoCollections);
  fs::create_directories(sys / "hidraw1/device");                         // no files: vanished
  WriteFile(sys / "hidraw2/device/uevent", kUevent);                        // descriptor unparsable
  WriteFile(sys / "hidraw2/device/report_descriptor", std::vector<uint8_t>{0xA1, 0x01});
  WriteFile(sys / "hidraw10/device/uevent", "HID_ID=0003:00001234:00005678\nHID_PHYS=usb-3/input0\n");
  WriteFile(sys / "hidraw10/device/report_descriptor", kOneCollection);
  WriteFile(sys / "unrelated/device/uevent", kUevent);

  HidrawBackend backend(sys.string(), "/dev");
  auto paths = backend.Enumerate();
  ASSERT_TRUE(paths);
  EXPECT_EQ(*paths, (std::vector<std::string>{"/dev/hidraw0#vid_320f&pid_222e&mi_01&col01",
                                               "/dev/hidraw0#vid_320f&pid_222e&mi_01&col02",
                                               "/dev/hidraw10#vid_1234&pid_5678&mi_00"}));

  HidrawBackend missing((tmp.path() / "nothing").string(), "/dev");
  auto none = missing.Enumerate();
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->empty());
}

TEST(HidrawBackend, OpenReadsAttributesAndRefusesForeignPaths) {
  TempDir tmp;
  const auto sys = tmp.path() / "sys";
  const auto dev = tmp.path() / "dev";
  // device -> hid device inside the USB interface inside the USB device, which has bcdDevice.
  const auto usb = tmp.path() / "usb1";
  WriteFile(usb / "bcdDevice", "0105\n");
  WriteFile(usb / "1-1:1.1/0003:320F:222E.0001/uevent", kUevent);
  WriteFile(usb / "1-1:1.1/0003:320F:222E.0001/report_descriptor", kTwoCollections);
  fs::create_directories(sys / "hidraw0");
  fs::create_directory_symlink(usb / "1-1:1.1/0003:320F:222E.0001", sys / "hidraw0/device");
  fs::create_directories(dev);
  ASSERT_EQ(mkfifo((dev / "hidraw0").c_str(), 0600), 0);

  HidrawBackend backend(sys.string(), dev.string());
  const std::string node = (dev / "hidraw0").string();
  auto d = backend.Open(node + "#vid_320f&pid_222e&mi_01&col02", true, true);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->Attributes().vendorId, 0x320F);
  EXPECT_EQ(d->Attributes().versionNumber, 0x0105);
  EXPECT_EQ(d->CollectionIndex(), 1);
  EXPECT_EQ(d->ReportDescriptor(), kTwoCollections);

  EXPECT_FALSE(backend.Open(node + "#vid_320f&pid_222e&mi_01&col03", true, true));  // no third collection
  EXPECT_FALSE(backend.Open("/elsewhere/hidraw0#vid_320f&pid_222e&mi_01&col01", true, true));
  EXPECT_FALSE(backend.Open((dev / "hidraw5").string() + "#vid_320f&pid_222e&mi_01", true, true));
}

TEST(HidrawBackend, DescriptorIsReadFromSysfsWithoutTheNode) {
  TempDir tmp;
  const auto sys = tmp.path() / "sys";
  WriteFile(sys / "hidraw0/device/uevent", kUevent);
  WriteFile(sys / "hidraw0/device/report_descriptor", kTwoCollections);
  WriteFile(sys / "hidraw2/device/uevent", kUevent);
  WriteFile(sys / "hidraw2/device/report_descriptor", std::vector<uint8_t>{0xA1, 0x01});
  WriteFile(sys / "hidraw3/device/report_descriptor", std::string(4097, '\0'));
  // No node exists below the device root: nothing is opened.
  const auto dev = tmp.path() / "dev";
  auto backend = std::make_shared<HidrawBackend>(sys.string(), dev.string());
  EXPECT_EQ(backend->ReadReportDescriptor(dev.string() + "/hidraw0#vid_320f&pid_222e&mi_01&col02"), kTwoCollections);
  // The bytes as they are, even when they do not parse.
  EXPECT_EQ(backend->ReadReportDescriptor(dev.string() + "/hidraw2#vid_320f&pid_222e&mi_01"),
            (std::vector<uint8_t>{0xA1, 0x01}));
  EXPECT_FALSE(backend->ReadReportDescriptor(dev.string() + "/hidraw3#vid_320f&pid_222e&mi_01"));  // overlong
  EXPECT_FALSE(backend->ReadReportDescriptor(dev.string() + "/hidraw5#vid_320f&pid_222e&mi_01"));
  EXPECT_FALSE(backend->ReadReportDescriptor("/elsewhere/hidraw0#vid_320f&pid_222e&mi_01"));

  // A composite asks each backend in turn.
  CompositeBackend composite;
  composite.Add(std::make_shared<HidrawBackend>(sys.string(), "/nowhere"));
  composite.Add(backend);
  EXPECT_EQ(composite.ReadReportDescriptor(dev.string() + "/hidraw0#vid_320f&pid_222e&mi_01&col01"), kTwoCollections);
  EXPECT_FALSE(composite.ReadReportDescriptor("/elsewhere/hidraw0#vid_320f&pid_222e&mi_01"));
}

TEST(HidrawBackend, AccessDeniedOnlyForAnExistingNodeThePermissionsRefuse) {
  TempDir tmp;
  const auto dev = tmp.path() / "dev";
  fs::create_directories(dev);
  ASSERT_EQ(mkfifo((dev / "hidraw0").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo((dev / "hidraw1").c_str(), 0000), 0);
  HidrawBackend backend((tmp.path() / "sys").string(), dev.string());
  const std::string suffix = "#vid_320f&pid_222e&mi_01&col04";

  EXPECT_FALSE(backend.AccessDenied((dev / "hidraw0").string() + suffix));
  // Root opens any node, so only another user is refused.
  EXPECT_EQ(backend.AccessDenied((dev / "hidraw1").string() + suffix), geteuid() != 0);
  EXPECT_FALSE(backend.AccessDenied((dev / "hidraw7").string() + suffix));  // unplugged: not a denial
  EXPECT_FALSE(backend.AccessDenied((dev / "hidraw1").string()));           // not a listed path
  EXPECT_FALSE(backend.AccessDenied((dev / "other1").string() + suffix));
  EXPECT_FALSE(backend.AccessDenied("/elsewhere/hidraw1" + suffix));
}

TEST(HidrawDevice, ReadKeepsOnlyOwnCollectionsReports) {
  SocketDevice s(kTwoCollections, 1);  // the collection with report id 2
  s.Send({0x01, 0xAA, 0xAA, 0xAA});
  s.Send({0x02, 0x10, 0x20, 0x30});
  uint8_t buf[8] = {};
  auto r = s.dev->Read(buf, sizeof buf, 1000);
  ASSERT_EQ(r.status, TransferStatus::Ok);
  EXPECT_EQ(r.bytes, 4u);
  EXPECT_EQ(buf[0], 0x02);
  EXPECT_EQ(buf[3], 0x30);
  // Only reports of the other collection: the read times out instead of returning them.
  s.Send({0x01, 0xBB, 0xBB, 0xBB});
  EXPECT_EQ(s.dev->Read(buf, sizeof buf, 50).status, TransferStatus::Timeout);
}

// True once thread `tid` of this process sits in poll (or ppoll), as the kernel reports it.
bool BlockedInPoll(pid_t tid) {
  std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/syscall");
  long number = -1;
  if (!(in >> number)) return false;
#ifdef SYS_poll
  if (number == SYS_poll) return true;
#endif
  return number == SYS_ppoll;
}

// Waits (bounded, as a guard against a hang) until thread `tid` is blocked in poll.
bool WaitUntilBlockedInPoll(const std::atomic<pid_t>& tid) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < limit) {
    if (tid != 0 && BlockedInPoll(tid)) return true;
    std::this_thread::yield();
  }
  return false;
}

TEST(HidrawDevice, TimeoutCancelAndVanishedNode) {
  SocketDevice s(kTwoCollections, 0);
  uint8_t buf[8];
  EXPECT_EQ(s.dev->Read(buf, sizeof buf, 0).status, TransferStatus::Timeout);

  // A cancel with nothing pending ends the next transfer only, even when signalled twice.
  s.dev->Cancel();
  s.dev->Cancel();
  EXPECT_EQ(s.dev->Read(buf, sizeof buf, 1000).status, TransferStatus::Cancelled);
  EXPECT_EQ(s.dev->Read(buf, sizeof buf, 0).status, TransferStatus::Timeout);

  // A read with a time-out waits for it in poll, and a read without limit is ended by a cancel
  // from another thread. Each cancel comes only once the read is seen blocked: a cancel sent
  // ahead would end the read just the same and show nothing.
  for (const int timeoutMs : {60000, -1}) {
    std::atomic<pid_t> readerTid{0};
    std::thread reader([&] {
      readerTid = static_cast<pid_t>(::syscall(SYS_gettid));
      EXPECT_EQ(s.dev->Read(buf, sizeof buf, timeoutMs).status, TransferStatus::Cancelled);
    });
    const bool blocked = WaitUntilBlockedInPoll(readerTid);
    s.dev->Cancel();
    reader.join();
    EXPECT_TRUE(blocked) << "time-out " << timeoutMs;
  }

  // Writes carry the report id byte through.
  const uint8_t out[4] = {0x01, 1, 2, 3};
  auto w = s.dev->Write(out, sizeof out, 1000);
  EXPECT_EQ(w.status, TransferStatus::Ok);
  uint8_t got[8] = {};
  EXPECT_EQ(read(s.peer, got, sizeof got), 4);
  EXPECT_EQ(got[3], 3);

  close(s.peer);
  s.peer = -1;
  EXPECT_EQ(s.dev->Read(buf, sizeof buf, 1000).status, TransferStatus::Failed);
}
