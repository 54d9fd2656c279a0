#include "platform/hid/HidBackend.h"

#include <mutex>

namespace orlo::hid {

// Defined by the hidraw backend.
std::shared_ptr<HidBackend> MakeHidrawBackend();

std::optional<std::vector<uint8_t>> HidBackend::ReadReportDescriptor(const std::string& path) {
  auto device = Open(path, false, false);
  if (!device) return std::nullopt;
  return device->ReportDescriptor();
}

void CompositeBackend::Add(std::shared_ptr<HidBackend> backend) {
  if (backend) backends_.push_back(std::move(backend));
}

std::optional<std::vector<std::string>> CompositeBackend::Enumerate() {
  std::vector<std::string> all;
  for (auto& b : backends_) {
    auto paths = b->Enumerate();
    if (!paths) return std::nullopt;
    all.insert(all.end(), paths->begin(), paths->end());
  }
  return all;
}

std::unique_ptr<HidDevice> CompositeBackend::Open(const std::string& path, bool read, bool write) {
  for (auto& b : backends_) {
    if (auto d = b->Open(path, read, write)) return d;
  }
  return nullptr;
}

std::optional<std::vector<uint8_t>> CompositeBackend::ReadReportDescriptor(const std::string& path) {
  for (auto& b : backends_) {
    if (auto d = b->ReadReportDescriptor(path)) return d;
  }
  return std::nullopt;
}

bool CompositeBackend::AccessDenied(const std::string& path) {
  for (auto& b : backends_) {
    if (b->AccessDenied(path)) return true;
  }
  return false;
}

namespace {
std::mutex g_backendMutex;
std::shared_ptr<HidBackend> g_backend;
}  // namespace

std::shared_ptr<HidBackend> DefaultBackend() {
  std::lock_guard lock(g_backendMutex);
  if (!g_backend) g_backend = MakeHidrawBackend();
  return g_backend;
}

}  // namespace orlo::hid
