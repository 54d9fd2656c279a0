#include "device/link/HidChannel.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "device/link/Catalogue.h"

namespace orlo {

namespace {

constexpr size_t kMaxPathLength = 260;

struct ReportTypeData {
  std::vector<uint8_t> reportBuffer;
  std::vector<HidDataItem> dataItems;
  std::vector<hid::ButtonCaps> buttonCaps;
  std::vector<hid::ValueCaps> valueCaps;
};

}  // namespace

struct CHidChannel::Impl {
  std::shared_ptr<hid::HidBackend> backend;  // null: the default backend at the time of use

  std::vector<std::string> pathList;
  size_t pathCursor = 0;

  bool openForRead = false, openForWrite = false, openOverlapped = false, openExclusive = false;

  // Guards device, inFlight and closing. Transfers hold their own reference to the device so
  // that Close can cancel them without holding the lock across the wait.
  std::mutex mutex;
  std::condition_variable idle;
  std::shared_ptr<hid::HidDevice> device;
  int inFlight = 0;
  bool closing = false;
  std::atomic<bool> readPending{false};
  std::atomic<bool> writePending{false};
  // The collection numbers no reports: reads get the id byte (0) put in front.
  std::atomic<bool> prependId{false};

  // Serialises unpacking against releasing the capability data.
  std::mutex capsMutex;
  std::string devicePath;
  hid::TopLevelCollection collection;
  hid::HidCaps caps;
  hid::HidAttributes attributes;
  ReportTypeData types[hid::kReportTypeCount];
  uint32_t interfaceNumber = 0;
  uint32_t collectionNumber = 0;

  std::shared_ptr<hid::HidBackend> Backend() { return backend ? backend : hid::DefaultBackend(); }

  void ReleaseCaps() {
    std::lock_guard lock(capsMutex);
    devicePath.clear();
    collection = {};
    caps = {};
    attributes = {};
    for (auto& t : types) t = {};
    interfaceNumber = collectionNumber = 0;
  }

  void LoadCaps() {
    for (int t = 0; t < hid::kReportTypeCount; ++t) {
      const auto type = static_cast<hid::ReportType>(t);
      auto& d = types[t];
      const uint16_t length = t == 0 ? caps.inputReportByteLength
                              : t == 1 ? caps.outputReportByteLength
                                       : caps.featureReportByteLength;
      d.reportBuffer.assign(length, 0);
      d.buttonCaps = collection.Buttons(type);
      d.valueCaps = collection.Values(type);

      size_t count = d.buttonCaps.size();
      for (const auto& v : d.valueCaps) count += v.isRange ? size_t{v.usageMax} - v.usageMin + 1 : 1;
      d.dataItems.clear();
      d.dataItems.reserve(count);
      for (const auto& b : d.buttonCaps) {
        HidDataItem item;
        item.isButton = true;
        item.status = hid::kHidStatusSuccess;
        item.usagePage = b.usagePage;
        item.reportId = b.reportId;
        item.usageMin = b.usageMin;
        item.usageMax = b.usageMax;
        item.maxUsageCount = hid::MaxUsageListLength(collection, type, b.usagePage);
        item.usages.assign(item.maxUsageCount, 0);
        d.dataItems.push_back(std::move(item));
      }
      for (const auto& v : d.valueCaps) {
        for (uint32_t u = v.usageMin; u <= v.usageMax; ++u) {
          HidDataItem item;
          item.usagePage = v.usagePage;
          item.reportId = v.reportId;
          item.usage = static_cast<uint16_t>(u);
          d.dataItems.push_back(std::move(item));
        }
      }
    }
    interfaceNumber = ParseInterfaceNumber(devicePath);
    collectionNumber = ParseCollectionNumber(devicePath);
  }

  // Runs one transfer on the current device, counted so that Close can wait for it.
  template <typename Fn>
  hid::TransferResult Transfer(std::atomic<bool>& pending, Fn&& fn) {
    std::shared_ptr<hid::HidDevice> dev;
    {
      std::lock_guard lock(mutex);
      if (!device || closing) return {};
      dev = device;
      ++inFlight;
      pending = true;
    }
    hid::TransferResult r = fn(*dev);
    // Drop our reference first so the closer holds the last one, and notify under the lock:
    // once Close sees no transfer in flight it may free everything, this call included.
    dev.reset();
    std::lock_guard lock(mutex);
    pending = false;
    --inFlight;
    idle.notify_all();
    return r;
  }
};

CHidChannel::CHidChannel() : impl_(std::make_unique<Impl>()) {}

CHidChannel::CHidChannel(std::shared_ptr<hid::HidBackend> backend) : impl_(std::make_unique<Impl>()) {
  impl_->backend = std::move(backend);
}

CHidChannel::~CHidChannel() {
  Close();
  FreePaths();
}

int CHidChannel::EnumeratePaths() {
  FreePaths();
  auto paths = impl_->Backend()->Enumerate();
  if (!paths) return 0;
  // A member without a path is left out, so it cannot end the scan's walk early.
  for (auto& p : *paths)
    if (!p.empty()) impl_->pathList.push_back(std::move(p));
  impl_->pathCursor = 0;
  return 1;
}

const char* CHidChannel::NextPath() {
  if (impl_->pathCursor >= impl_->pathList.size()) return nullptr;
  return impl_->pathList[impl_->pathCursor++].c_str();
}

void CHidChannel::FreePaths() {
  impl_->pathList.clear();
  impl_->pathCursor = 0;
}

int CHidChannel::PathCount() const { return static_cast<int>(impl_->pathList.size()); }

int CHidChannel::Open(const std::string& path, bool read, bool write, bool overlapped, bool exclusive) {
  Close();
  if (path.empty() || path.size() >= kMaxPathLength) return 0;
  std::unique_ptr<hid::HidDevice> opened = impl_->Backend()->Open(path, read, write);
  if (!opened) return 0;

  hid::ParsedDescriptor parsed;
  if (hid::ParseReportDescriptor(opened->ReportDescriptor(), parsed) != hid::kHidStatusSuccess) return 0;
  const int index = opened->CollectionIndex();
  if (index < 0 || static_cast<size_t>(index) >= parsed.collections.size()) return 0;

  {
    std::lock_guard lock(impl_->capsMutex);
    impl_->devicePath = path;
    impl_->collection = std::move(parsed.collections[static_cast<size_t>(index)]);
    impl_->caps = impl_->collection.caps;
    impl_->attributes = opened->Attributes();
    impl_->LoadCaps();
  }
  impl_->openForRead = read;
  impl_->openForWrite = write;
  impl_->openOverlapped = overlapped;
  impl_->openExclusive = exclusive;
  impl_->prependId = !impl_->collection.usesReportIds;
  std::lock_guard lock(impl_->mutex);
  impl_->device = std::move(opened);
  return 1;
}

void CHidChannel::Close() {
  std::shared_ptr<hid::HidDevice> dev;
  {
    std::unique_lock lock(impl_->mutex);
    if (!impl_->device) return;
    impl_->closing = true;
    dev = impl_->device;
    // One cancel ends one transfer; a read and a write may both wait, so cancel until none
    // is left rather than trusting a single signal.
    while (impl_->inFlight > 0) {
      dev->Cancel();
      impl_->idle.wait_for(lock, std::chrono::milliseconds(20), [&] { return impl_->inFlight == 0; });
    }
    impl_->device.reset();
    impl_->closing = false;
  }
  // The handle (and a cancel signal left in it) goes with the device; a re-open starts clean.
  dev.reset();
  impl_->ReleaseCaps();
  impl_->openForRead = impl_->openForWrite = impl_->openOverlapped = impl_->openExclusive = false;
}

bool CHidChannel::IsOpen() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->device != nullptr;
}

int CHidChannel::Read(uint8_t* buffer, uint32_t length, uint32_t* bytesRead, int timeoutMs) {
  if (bytesRead) *bytesRead = 0;
  if (!buffer || length == 0) return 0;
  // Without report ids the node gives the bare report; callers expect the id byte (0) first.
  const bool prependId = impl_->prependId;
  if (prependId && length < 2) return 0;
  auto r = impl_->Transfer(impl_->readPending, [&](hid::HidDevice& dev) {
    return prependId ? dev.Read(buffer + 1, length - 1, timeoutMs) : dev.Read(buffer, length, timeoutMs);
  });
  if (r.status != hid::TransferStatus::Ok) return 0;
  size_t n = std::min<size_t>(r.bytes, prependId ? length - 1 : length);
  if (prependId) {
    buffer[0] = 0;
    ++n;
  }
  if (bytesRead) *bytesRead = static_cast<uint32_t>(n);
  return 1;
}

int CHidChannel::Write(const uint8_t* buffer, uint32_t length, uint32_t* bytesWritten, int timeoutMs) {
  if (bytesWritten) *bytesWritten = 0;
  if (!buffer || length == 0) return 0;
  auto r = impl_->Transfer(impl_->writePending, [&](hid::HidDevice& dev) { return dev.Write(buffer, length, timeoutMs); });
  if (r.status != hid::TransferStatus::Ok) return 0;
  if (bytesWritten) *bytesWritten = static_cast<uint32_t>(std::min<size_t>(r.bytes, length));
  return 1;
}

int CHidChannel::UnpackInput(const uint8_t* report, uint32_t reportLength) {
  if (!report || reportLength == 0) return hid::kHidStatusInvalidReportLength;
  std::lock_guard lock(impl_->capsMutex);
  const auto& tlc = impl_->collection;
  const uint8_t id = report[0];
  for (auto& item : impl_->types[0].dataItems) {
    if (item.reportId != id) {
      item.isSet = false;
      continue;
    }
    if (item.isButton) {
      uint32_t count = static_cast<uint32_t>(item.usages.size());
      item.status = hid::GetUsages(tlc, hid::ReportType::Input, item.usagePage, 0, item.usages.data(), count, report,
                                   reportLength);
      // The parser returns every usage of the page; keep only this item's own range.
      uint32_t kept = 0;
      for (uint32_t i = 0; i < count && i < item.usages.size(); ++i) {
        const uint16_t u = item.usages[i];
        if (u >= item.usageMin && u <= item.usageMax) item.usages[kept++] = u;
      }
      std::fill(item.usages.begin() + kept, item.usages.end(), uint16_t{0});
    } else {
      const int32_t st = hid::GetUsageValue(tlc, hid::ReportType::Input, item.usagePage, 0, item.usage, item.value,
                                            report, reportLength);
      if (st != hid::kHidStatusSuccess) {
        item.status = st;
        return st;
      }
      item.status = hid::GetScaledUsageValue(tlc, hid::ReportType::Input, item.usagePage, 0, item.usage,
                                             item.scaledValue, report, reportLength);
    }
    item.isSet = true;
  }
  return 1;
}

const hid::HidCaps& CHidChannel::Caps() const { return impl_->caps; }
const hid::HidAttributes& CHidChannel::Attributes() const { return impl_->attributes; }
const std::string& CHidChannel::DevicePath() const { return impl_->devicePath; }
uint32_t CHidChannel::InterfaceNumber() const { return impl_->interfaceNumber; }
uint32_t CHidChannel::CollectionNumber() const { return impl_->collectionNumber; }
std::vector<uint8_t>& CHidChannel::InputReportBuffer() { return impl_->types[0].reportBuffer; }
const std::vector<HidDataItem>& CHidChannel::InputDataItems() const { return impl_->types[0].dataItems; }
bool CHidChannel::ReadPending() const { return impl_->readPending; }
bool CHidChannel::WritePending() const { return impl_->writePending; }

}  // namespace orlo
