#include "platform/hid/HidrawBackend.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "platform/hid/ReportDescriptor.h"

namespace orlo::hid {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Hex number at the start of s (scanning stops at the first non-hex digit); nullopt without one.
std::optional<uint32_t> LeadingHex(std::string_view s) {
  uint64_t v = 0;
  size_t i = 0;
  for (; i < s.size() && HexDigit(s[i]) >= 0; ++i) v = ((v << 4) | static_cast<uint64_t>(HexDigit(s[i]))) & 0xFFFFFFFFull;
  if (i == 0) return std::nullopt;
  return static_cast<uint32_t>(v);
}

std::optional<std::string> ReadSmallFile(const std::string& path, size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string data;
  data.resize(limit + 1);
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  if (in.bad()) return std::nullopt;
  data.resize(static_cast<size_t>(in.gcount()));
  if (data.size() > limit) return std::nullopt;
  return data;
}

int NodeNumber(const std::string& name) {
  int n = 0;
  for (size_t i = 6; i < name.size() && n < 1000000; ++i) n = n * 10 + (name[i] - '0');
  return n;
}

bool IsHidrawName(const std::string& name) {
  if (name.size() <= 6 || name.compare(0, 6, "hidraw") != 0) return false;
  return std::all_of(name.begin() + 6, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int MsUntil(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(std::min<long long>(left, 0x7FFFFFFF));
}

class HidrawDevice : public HidDevice {
 public:
  HidrawDevice(int fd, HidAttributes attributes, std::vector<uint8_t> descriptor, int collectionIndex)
      : fd_(fd), attributes_(attributes), descriptor_(std::move(descriptor)), collectionIndex_(collectionIndex) {
    cancelFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    ParsedDescriptor parsed;
    if (ParseReportDescriptor(descriptor_, parsed) == kHidStatusSuccess && collectionIndex_ >= 0 &&
        static_cast<size_t>(collectionIndex_) < parsed.collections.size()) {
      const auto& tlc = parsed.collections[static_cast<size_t>(collectionIndex_)];
      // Only an interface that numbers its reports can tell its collections apart.
      filterById_ = tlc.usesReportIds;
      for (uint8_t id : tlc.reportIds) ownIds_[id] = true;
    }
  }

  ~HidrawDevice() override {
    if (fd_ >= 0) close(fd_);
    if (cancelFd_ >= 0) close(cancelFd_);
  }

  HidAttributes Attributes() const override { return attributes_; }
  const std::vector<uint8_t>& ReportDescriptor() const override { return descriptor_; }
  int CollectionIndex() const override { return collectionIndex_; }

  TransferResult Read(uint8_t* buffer, size_t length, int timeoutMs) override {
    if (!buffer || length == 0 || fd_ < 0 || cancelFd_ < 0) return {TransferStatus::Failed, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
      TransferStatus st = Wait(POLLIN, timeoutMs < 0 ? -1 : MsUntil(deadline));
      if (st != TransferStatus::Ok) return {st, 0};
      const ssize_t n = read(fd_, buffer, length);
      if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) continue;
        return {TransferStatus::Failed, 0};
      }
      if (n == 0) return {TransferStatus::Failed, 0};  // the node went away
      // Reports of the interface's other collections belong to their own handles.
      if (filterById_ && !ownIds_[buffer[0]]) continue;
      return {TransferStatus::Ok, static_cast<size_t>(n)};
    }
  }

  TransferResult Write(const uint8_t* buffer, size_t length, int timeoutMs) override {
    if (!buffer || length == 0 || fd_ < 0 || cancelFd_ < 0) return {TransferStatus::Failed, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
      TransferStatus st = Wait(POLLOUT, timeoutMs < 0 ? -1 : MsUntil(deadline));
      if (st != TransferStatus::Ok) return {st, 0};
      const ssize_t n = write(fd_, buffer, length);
      if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) continue;
        return {TransferStatus::Failed, 0};
      }
      return {TransferStatus::Ok, static_cast<size_t>(n)};
    }
  }

  void Cancel() override {
    if (cancelFd_ < 0) return;
    const uint64_t one = 1;
    // A full counter still means "signalled"; nothing to do on failure.
    [[maybe_unused]] ssize_t r = write(cancelFd_, &one, sizeof one);
  }

 private:
  // Waits for the node or the cancel signal. Cancel wins when both are ready and is consumed,
  // so one Cancel ends exactly one transfer.
  TransferStatus Wait(short events, int timeoutMs) {
    for (;;) {
      pollfd fds[2] = {{cancelFd_, POLLIN, 0}, {fd_, events, 0}};
      const int r = poll(fds, 2, timeoutMs);
      if (r < 0) {
        if (errno == EINTR) continue;
        return TransferStatus::Failed;
      }
      if (fds[0].revents & POLLIN) {
        uint64_t count = 0;
        [[maybe_unused]] ssize_t n = read(cancelFd_, &count, sizeof count);
        return TransferStatus::Cancelled;
      }
      if (r == 0) return TransferStatus::Timeout;
      if (fds[1].revents & events) return TransferStatus::Ok;
      if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) return TransferStatus::Failed;
    }
  }

  int fd_ = -1;
  int cancelFd_ = -1;
  HidAttributes attributes_;
  std::vector<uint8_t> descriptor_;
  int collectionIndex_ = 0;
  bool filterById_ = false;
  bool ownIds_[256] = {};
};

}  // namespace

std::optional<HidUevent> ParseHidUevent(std::string_view text) {
  HidUevent ev;
  bool haveId = false;
  while (!text.empty()) {
    const size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "HID_ID") {
      // bus:vendor:product, hexadecimal (the kernel writes 4, 8 and 8 digits).
      const size_t c1 = value.find(':');
      const size_t c2 = c1 == std::string_view::npos ? c1 : value.find(':', c1 + 1);
      if (c2 == std::string_view::npos) continue;
      auto bus = LeadingHex(value.substr(0, c1));
      auto vid = LeadingHex(value.substr(c1 + 1, c2 - c1 - 1));
      auto pid = LeadingHex(value.substr(c2 + 1));
      if (!bus || !vid || !pid) continue;
      ev.bus = static_cast<uint16_t>(*bus);
      ev.vendorId = static_cast<uint16_t>(*vid);
      ev.productId = static_cast<uint16_t>(*pid);
      haveId = true;
    } else if (key == "HID_NAME") {
      ev.name = std::string(value);
    } else if (key == "HID_PHYS") {
      ev.phys = std::string(value);
    }
  }
  if (!haveId) return std::nullopt;
  return ev;
}

int InterfaceNumberFromPhys(std::string_view phys) {
  const size_t pos = phys.rfind("input");
  if (pos == std::string_view::npos) return 0;
  int n = 0;
  size_t i = pos + 5;
  if (i >= phys.size() || phys[i] < '0' || phys[i] > '9') return 0;
  for (; i < phys.size() && phys[i] >= '0' && phys[i] <= '9'; ++i) {
    n = n * 10 + (phys[i] - '0');
    if (n > 0xFF) return 0;  // not an interface number
  }
  return n;
}

std::string MakeCollectionPath(const std::string& node, uint16_t vendorId, uint16_t productId,
                               int interfaceNumber, int collectionCount, int index) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "#vid_%04x&pid_%04x&mi_%02x", vendorId, productId, interfaceNumber & 0xFF);
  std::string path = node + buf;
  if (collectionCount > 1) {
    std::snprintf(buf, sizeof buf, "&col%02x", (index + 1) & 0xFF);
    path += buf;
  }
  return path;
}

bool SplitCollectionPath(const std::string& path, std::string& node, int& collectionIndex) {
  const size_t hash = path.find('#');
  if (hash == std::string::npos || hash == 0) return false;
  node = path.substr(0, hash);
  collectionIndex = 0;
  const size_t col = path.find("&col", hash);
  if (col != std::string::npos) {
    auto n = LeadingHex(std::string_view(path).substr(col + 4));
    if (!n || *n == 0 || *n > 0xFF) return false;
    collectionIndex = static_cast<int>(*n) - 1;
  }
  return true;
}

HidrawBackend::HidrawBackend(std::string sysClassRoot, std::string devRoot)
    : sysRoot_(std::move(sysClassRoot)), devRoot_(std::move(devRoot)) {}

std::optional<std::vector<uint8_t>> HidrawBackend::ReadDescriptorFile(const std::string& name) const {
  auto desc = ReadSmallFile(sysRoot_ + "/" + name + "/device/report_descriptor", kMaxDescriptorBytes);
  if (!desc || desc->empty()) return std::nullopt;
  return std::vector<uint8_t>(desc->begin(), desc->end());
}

std::optional<HidrawBackend::NodeInfo> HidrawBackend::ReadNode(const std::string& name) const {
  const std::string dir = sysRoot_ + "/" + name + "/device/";
  auto uevent = ReadSmallFile(dir + "uevent", 64 * 1024);
  if (!uevent) return std::nullopt;
  auto ev = ParseHidUevent(*uevent);
  if (!ev) return std::nullopt;
  auto desc = ReadDescriptorFile(name);
  if (!desc) return std::nullopt;
  NodeInfo info;
  info.uevent = *ev;
  info.descriptor = std::move(*desc);
  ParsedDescriptor parsed;
  if (ParseReportDescriptor(info.descriptor, parsed) != kHidStatusSuccess) return std::nullopt;
  info.collectionCount = static_cast<int>(parsed.collections.size());
  // The USB device two levels up (hid device -> USB interface -> USB device) has bcdDevice.
  for (const char* rel : {"../../bcdDevice", "../bcdDevice"}) {
    if (auto bcd = ReadSmallFile(dir + rel, 64)) {
      if (auto v = LeadingHex(*bcd)) {
        info.version = static_cast<uint16_t>(*v);
        break;
      }
    }
  }
  return info;
}

std::optional<std::vector<std::string>> HidrawBackend::Enumerate() {
  std::vector<std::string> paths;
  DIR* d = opendir(sysRoot_.c_str());
  if (!d) {
    // No hidraw class at all simply means no HID interfaces.
    if (errno == ENOENT) return paths;
    return std::nullopt;
  }
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (IsHidrawName(name)) names.push_back(std::move(name));
  }
  closedir(d);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return NodeNumber(a) < NodeNumber(b);
  });
  for (const auto& name : names) {
    auto info = ReadNode(name);
    if (!info) continue;  // unreadable or vanished node: the walk goes on
    const int mi = InterfaceNumberFromPhys(info->uevent.phys);
    for (int i = 0; i < info->collectionCount; ++i)
      paths.push_back(MakeCollectionPath(devRoot_ + "/" + name, info->uevent.vendorId, info->uevent.productId, mi,
                                         info->collectionCount, i));
  }
  return paths;
}

bool HidrawBackend::NodeOfPath(const std::string& path, std::string& node, std::string& name, int& index) const {
  if (!SplitCollectionPath(path, node, index)) return false;
  const std::string prefix = devRoot_ + "/";
  if (node.compare(0, prefix.size(), prefix) != 0) return false;
  name = node.substr(prefix.size());
  return IsHidrawName(name);
}

std::unique_ptr<HidDevice> HidrawBackend::Open(const std::string& path, bool read, bool write) {
  std::string node, name;
  int index = 0;
  if (!NodeOfPath(path, node, name, index)) return nullptr;
  auto info = ReadNode(name);
  if (!info || index >= info->collectionCount) return nullptr;
  int flags = O_NONBLOCK | O_CLOEXEC;
  if (read && write) flags |= O_RDWR;
  else if (write) flags |= O_WRONLY;
  else flags |= O_RDONLY;
  const int fd = ::open(node.c_str(), flags);
  if (fd < 0) return nullptr;
  HidAttributes attrs{info->uevent.vendorId, info->uevent.productId, info->version};
  return MakeHidrawDevice(fd, attrs, std::move(info->descriptor), index);
}

std::optional<std::vector<uint8_t>> HidrawBackend::ReadReportDescriptor(const std::string& path) {
  std::string node, name;
  int index = 0;
  if (!NodeOfPath(path, node, name, index)) return std::nullopt;
  return ReadDescriptorFile(name);
}

bool HidrawBackend::AccessDenied(const std::string& path) {
  std::string node, name;
  int index = 0;
  if (!NodeOfPath(path, node, name, index)) return false;
  const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return false;
  }
  return errno == EACCES || errno == EPERM;
}

std::unique_ptr<HidDevice> MakeHidrawDevice(int fd, HidAttributes attributes, std::vector<uint8_t> descriptor,
                                            int collectionIndex) {
  return std::make_unique<HidrawDevice>(fd, attributes, std::move(descriptor), collectionIndex);
}

std::shared_ptr<HidBackend> MakeHidrawBackend() { return std::make_shared<HidrawBackend>(); }

}  // namespace orlo::hid
