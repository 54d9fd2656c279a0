#include "sim/SimBackend.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>

#include "platform/Paths.h"
#include "sim/SimHeadset.h"
#include "sim/SimKeyboard.h"
#include "sim/SimMouse.h"
#include "sim/SimMousepad.h"

namespace orlo::sim {
namespace {

constexpr char kPrefix[] = "sim:";

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string CollectionPath(const std::string& node, const hid::HidAttributes& a, uint8_t interfaceNumber,
                           size_t collection, size_t collectionCount) {
  char tail[64];
  std::snprintf(tail, sizeof tail, "#vid_%04x&pid_%04x&mi_%02x", a.vendorId, a.productId, interfaceNumber);
  std::string path = kPrefix + node + tail;
  if (collectionCount > 1) {
    char col[16];
    std::snprintf(col, sizeof col, "&col%02x", static_cast<unsigned>(collection + 1));
    path += col;
  }
  return path;
}

class SimHandle : public hid::HidDevice {
 public:
  SimHandle(std::shared_ptr<SimDevice> device, std::shared_ptr<SimDevice::Port> port, size_t interfaceIndex,
            size_t collection)
      : device_(std::move(device)), port_(std::move(port)), interface_(interfaceIndex), collection_(collection) {}
  ~SimHandle() override { device_->Detach(port_); }

  hid::HidAttributes Attributes() const override { return device_->Attributes(); }
  const std::vector<uint8_t>& ReportDescriptor() const override {
    return device_->Interfaces()[interface_].descriptor.bytes;
  }
  int CollectionIndex() const override { return static_cast<int>(collection_); }
  hid::TransferResult Read(uint8_t* buffer, size_t length, int timeoutMs) override {
    return device_->ReadReport(*port_, buffer, length, timeoutMs);
  }
  hid::TransferResult Write(const uint8_t* buffer, size_t length, int timeoutMs) override {
    return device_->WriteReport(*port_, buffer, length, timeoutMs);
  }
  void Cancel() override { device_->Cancel(*port_); }

 private:
  std::shared_ptr<SimDevice> device_;
  std::shared_ptr<SimDevice::Port> port_;
  size_t interface_;
  size_t collection_;
};

}  // namespace

std::string SimBackend::Add(std::shared_ptr<SimDevice> device) {
  if (!device) return {};
  std::lock_guard lock(mu_);
  std::string node = device->Name();
  for (int n = 2; FindLocked(node); ++n) node = device->Name() + "-" + std::to_string(n);
  entries_.push_back({node, std::move(device)});
  return node;
}

bool SimBackend::Remove(const std::string& node) {
  std::shared_ptr<SimDevice> device;
  {
    std::lock_guard lock(mu_);
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.node == node; });
    if (it == entries_.end()) return false;
    device = it->device;
    entries_.erase(it);
  }
  device->Unplug();
  return true;
}

const SimBackend::Entry* SimBackend::FindLocked(const std::string& node) const {
  for (const auto& e : entries_)
    if (e.node == node) return &e;
  return nullptr;
}

std::shared_ptr<SimDevice> SimBackend::Device(const std::string& node) const {
  std::lock_guard lock(mu_);
  const Entry* e = FindLocked(node);
  return e ? e->device : nullptr;
}

std::vector<std::string> SimBackend::Nodes() const {
  std::lock_guard lock(mu_);
  std::vector<std::string> nodes;
  for (const auto& e : entries_) nodes.push_back(e.node);
  return nodes;
}

bool SimBackend::Plug(const std::string& node) {
  auto device = Device(node);
  if (!device) return false;
  device->Plug();
  return true;
}

bool SimBackend::Unplug(const std::string& node) {
  auto device = Device(node);
  if (!device) return false;
  device->Unplug();
  return true;
}

void SimBackend::SetLatency(std::chrono::microseconds latency) {
  std::lock_guard lock(mu_);
  for (auto& e : entries_) e.device->SetLatency(latency);
}

std::vector<std::string> SimBackend::PathsOfEntry(const Entry& e) {
  std::vector<std::string> paths;
  for (const auto& itf : e.device->Interfaces()) {
    const size_t count = itf.descriptor.collections.size();
    for (size_t c = 0; c < count; ++c)
      paths.push_back(CollectionPath(e.node, e.device->Attributes(), itf.number, c, count));
  }
  return paths;
}

std::vector<std::string> SimBackend::PathsOf(const std::string& node) const {
  std::lock_guard lock(mu_);
  const Entry* e = FindLocked(node);
  return e ? PathsOfEntry(*e) : std::vector<std::string>{};
}

std::optional<std::vector<std::string>> SimBackend::Enumerate() {
  std::lock_guard lock(mu_);
  std::vector<std::string> paths;
  for (const auto& e : entries_) {
    if (!e.device->Plugged()) continue;
    auto p = PathsOfEntry(e);
    paths.insert(paths.end(), p.begin(), p.end());
  }
  return paths;
}

std::unique_ptr<hid::HidDevice> SimBackend::Open(const std::string& path, bool read, bool write) {
  // Device paths are compared without regard to case, as on the system the paths come from.
  const size_t hash = path.find('#');
  if (hash == std::string::npos || hash < sizeof kPrefix - 1 ||
      !EqualNoCase(path.substr(0, sizeof kPrefix - 1), kPrefix))
    return nullptr;
  const std::string wanted = path.substr(sizeof kPrefix - 1, hash - (sizeof kPrefix - 1));
  std::string node;
  std::shared_ptr<SimDevice> device;
  {
    std::lock_guard lock(mu_);
    for (const auto& e : entries_) {
      if (EqualNoCase(e.node, wanted)) {
        node = e.node;
        device = e.device;
        break;
      }
    }
  }
  if (!device) return nullptr;
  const auto& interfaces = device->Interfaces();
  for (size_t i = 0; i < interfaces.size(); ++i) {
    const size_t count = interfaces[i].descriptor.collections.size();
    for (size_t c = 0; c < count; ++c) {
      if (!EqualNoCase(path, CollectionPath(node, device->Attributes(), interfaces[i].number, c, count))) continue;
      auto port = device->Attach(i, c, read, write);
      if (!port) return nullptr;
      return std::make_unique<SimHandle>(device, std::move(port), i, c);
    }
  }
  return nullptr;
}

std::vector<std::string> SimDeviceNames() {
  return {"mouse", "mouse-receiver", "mouse-receiver-asleep", "keyboard", "keyboard-receiver", "mousepad", "headset"};
}

std::string DefaultSimFolder() {
  if (const char* dir = std::getenv("ORLO_SIM_DIR"); dir && *dir) {
    std::string d = dir;
    if (d.back() != '/') d += '/';
    return d;
  }
  return paths::StateFolder() + "sim/";
}

std::shared_ptr<SimBackend> MakeSimBackend(const std::string& list, const SimOptions& options) {
  // Split and check the whole list first, so that a bad entry builds nothing.
  std::vector<std::string> names;
  size_t start = 0;
  for (;;) {
    const size_t comma = list.find(',', start);
    std::string name = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    const auto notSpace = [](unsigned char ch) { return !std::isspace(ch); };
    name.erase(name.begin(), std::find_if(name.begin(), name.end(), notSpace));
    name.erase(std::find_if(name.rbegin(), name.rend(), notSpace).base(), name.end());
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char ch) { return std::tolower(ch); });
    const auto known = SimDeviceNames();
    if (name.empty()) throw std::invalid_argument("--simulate: empty device name in \"" + list + "\"");
    if (std::find(known.begin(), known.end(), name) == known.end()) {
      std::string all;
      for (const auto& k : known) all += (all.empty() ? "" : ", ") + k;
      throw std::invalid_argument("--simulate: unknown device \"" + name + "\" (known: " + all + ")");
    }
    names.push_back(name);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }

  const std::string folder = options.folder.empty() ? DefaultSimFolder() : options.folder;
  // The n-th wired and the n-th receiver connection of a kind are one device with one memory.
  std::map<std::string, std::vector<std::shared_ptr<SimMemory>>> memories;
  std::map<std::string, int> used;
  auto memoryFor = [&](const std::string& kind, bool receiver, auto make) {
    const int n = used[kind + (receiver ? "/r" : "/w")]++;
    auto& pool = memories[kind];
    if (static_cast<int>(pool.size()) <= n) {
      auto memory = make(n == 0 ? kind : kind + "-" + std::to_string(n + 1));
      if (options.persist) {
        memory->SetPersistFolder(folder);
        memory->Load();
      }
      pool.push_back(memory);
    }
    return pool[static_cast<size_t>(n)];
  };

  auto backend = std::make_shared<SimBackend>();
  for (const auto& name : names) {
    std::shared_ptr<SimDevice> device;
    if (name == "mouse") {
      device = std::make_shared<SimMouse>(Connection::Wired, memoryFor("mouse", false, SimMouse::MakeMemory));
    } else if (name == "mouse-receiver" || name == "mouse-receiver-asleep") {
      device = std::make_shared<SimMouse>(Connection::Receiver, memoryFor("mouse", true, SimMouse::MakeMemory));
      device->SetAsleep(name == "mouse-receiver-asleep");
    } else if (name == "keyboard") {
      device = std::make_shared<SimKeyboard>(Connection::Wired, memoryFor("keyboard", false, SimKeyboard::MakeMemory));
    } else if (name == "keyboard-receiver") {
      device = std::make_shared<SimKeyboard>(Connection::Receiver, memoryFor("keyboard", true, SimKeyboard::MakeMemory));
    } else if (name == "mousepad") {
      device = std::make_shared<SimMousepad>(memoryFor("mousepad", false, SimMousepad::MakeMemory));
    } else {
      device = std::make_shared<SimHeadset>(memoryFor("headset", false, SimHeadset::MakeMemory));
    }
    device->SetLatency(options.latency);
    backend->Add(device);
  }
  return backend;
}

}  // namespace orlo::sim
