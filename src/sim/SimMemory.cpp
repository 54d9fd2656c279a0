#include "sim/SimMemory.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <atomic>
#include <fstream>
#include <iterator>
#include <system_error>

#include <unistd.h>

namespace orlo::sim {
namespace {

constexpr char kMagic[8] = {'O', 'R', 'L', 'O', 'S', 'I', 'M', '1'};
constexpr size_t kMaxFileBytes = 1 << 20;

uint32_t Fnv1a(const uint8_t* p, size_t n) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < n; ++i) {
    h ^= p[i];
    h *= 16777619u;
  }
  return h;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

SimMemory::SimMemory(std::string name) : name_(std::move(name)) {}

void SimMemory::Define(Area area, std::vector<uint8_t> factory, bool persistent) {
  std::lock_guard lock(mu_);
  Slot& s = slots_[static_cast<int>(area)];
  s.defined = true;
  s.persistent = persistent;
  s.data = factory;
  s.factory = std::move(factory);
}

bool SimMemory::Has(Area area) const {
  std::lock_guard lock(mu_);
  return slots_[static_cast<int>(area)].defined;
}

bool SimMemory::IsPersistent(Area area) const {
  std::lock_guard lock(mu_);
  const Slot& s = slots_[static_cast<int>(area)];
  return s.defined && s.persistent;
}

size_t SimMemory::Size(Area area) const {
  std::lock_guard lock(mu_);
  return slots_[static_cast<int>(area)].data.size();
}

bool SimMemory::Read(Area area, size_t offset, uint8_t* out, size_t length) const {
  std::lock_guard lock(mu_);
  const Slot& s = slots_[static_cast<int>(area)];
  if (!s.defined || offset > s.data.size() || length > s.data.size() - offset) return false;
  if (length) std::memcpy(out, s.data.data() + offset, length);
  return true;
}

bool SimMemory::Write(Area area, size_t offset, const uint8_t* in, size_t length) {
  std::lock_guard lock(mu_);
  Slot& s = slots_[static_cast<int>(area)];
  if (!s.defined || offset > s.data.size() || length > s.data.size() - offset) return false;
  if (length) std::memcpy(s.data.data() + offset, in, length);
  return true;
}

std::vector<uint8_t> SimMemory::Snapshot(Area area) const {
  std::lock_guard lock(mu_);
  return slots_[static_cast<int>(area)].data;
}

uint8_t SimMemory::Byte(Area area, size_t offset) const {
  std::lock_guard lock(mu_);
  const Slot& s = slots_[static_cast<int>(area)];
  return offset < s.data.size() ? s.data[offset] : 0;
}

void SimMemory::ResetToFactory() {
  std::lock_guard lock(mu_);
  for (Slot& s : slots_) s.data = s.factory;
}

void SimMemory::SetPersistFolder(const std::string& folder) {
  std::lock_guard lock(mu_);
  folder_ = folder;
  if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
}

std::string SimMemory::FilePath() const {
  std::lock_guard lock(mu_);
  return folder_.empty() ? std::string() : folder_ + name_ + ".mem";
}

// File: magic, area count, then per area its id, size and bytes, then an FNV-1a sum of all
// that precedes it.
std::vector<uint8_t> SimMemory::SerializeLocked() const {
  std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
  uint32_t count = 0;
  for (const Slot& s : slots_) count += (s.defined && s.persistent) ? 1 : 0;
  PutU32(out, count);
  for (int i = 0; i < kAreaCount; ++i) {
    const Slot& s = slots_[i];
    if (!s.defined || !s.persistent) continue;
    out.push_back(static_cast<uint8_t>(i));
    PutU32(out, static_cast<uint32_t>(s.data.size()));
    out.insert(out.end(), s.data.begin(), s.data.end());
  }
  PutU32(out, Fnv1a(out.data(), out.size()));
  return out;
}

bool SimMemory::Load() {
  const std::string path = FilePath();
  if (path.empty()) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<uint8_t> bytes;
  char buf[4096];
  while (in.read(buf, sizeof buf) || in.gcount() > 0) {
    bytes.insert(bytes.end(), buf, buf + in.gcount());
    if (bytes.size() > kMaxFileBytes) return false;
  }
  if (bytes.size() < sizeof kMagic + 8 || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return false;
  const size_t body = bytes.size() - 4;
  if (GetU32(bytes.data() + body) != Fnv1a(bytes.data(), body)) return false;

  std::lock_guard lock(mu_);
  // Parse into a copy first: a file that does not fit the layout changes nothing.
  std::vector<std::vector<uint8_t>> loaded(kAreaCount);
  std::vector<bool> seen(kAreaCount, false);
  size_t pos = sizeof kMagic;
  const uint32_t count = GetU32(bytes.data() + pos);
  pos += 4;
  for (uint32_t n = 0; n < count; ++n) {
    if (body - pos < 5) return false;
    const uint8_t id = bytes[pos];
    const uint32_t size = GetU32(bytes.data() + pos + 1);
    pos += 5;
    if (id >= kAreaCount || seen[id]) return false;
    const Slot& s = slots_[id];
    if (!s.defined || !s.persistent || size != s.data.size() || body - pos < size) return false;
    loaded[id].assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                      bytes.begin() + static_cast<std::ptrdiff_t>(pos + size));
    seen[id] = true;
    pos += size;
  }
  if (pos != body) return false;
  for (int i = 0; i < kAreaCount; ++i) {
    if (slots_[i].defined && slots_[i].persistent && !seen[i]) return false;
  }
  for (int i = 0; i < kAreaCount; ++i) {
    if (seen[i]) slots_[i].data = std::move(loaded[i]);
  }
  return true;
}

bool SimMemory::Save() const {
  std::lock_guard lock(mu_);
  return SaveLocked();
}

bool SimMemory::SaveLocked() const {
  if (folder_.empty()) return true;
  std::error_code ec;
  std::filesystem::create_directories(folder_, ec);
  const std::string path = folder_ + name_ + ".mem";
  static std::atomic<unsigned> serial{0};
  const std::string tmp = path + ".tmp" + std::to_string(::getpid()) + "." + std::to_string(serial++);
  const std::vector<uint8_t> bytes = SerializeLocked();
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      std::filesystem::remove(tmp, ec);
      return false;
    }
  }
  std::filesystem::rename(tmp, path, ec);
  if (ec) {
    std::filesystem::remove(tmp, ec);
    return false;
  }
  return true;
}

}  // namespace orlo::sim
