#pragma once
// Helpers for the simulated-device tests: a host side that speaks the command protocol directly
// on a backend handle, and a temporary folder for memory files.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/hid/HidBackend.h"
#include "sim/SimBackend.h"
#include "sim/SimProtocol.h"

namespace orlo::sim::test {

using Report = std::array<uint8_t, kReportSize>;

inline Report MakeRequest(uint8_t code, uint8_t length = 0, uint16_t offset = 0,
                          const std::vector<uint8_t>& payload = {}) {
  Report r{};
  r[0] = kCommandReportId;
  r[3] = code;
  r[4] = length;
  r[5] = static_cast<uint8_t>(offset & 0xFF);
  r[6] = static_cast<uint8_t>(offset >> 8);
  for (size_t i = 0; i < payload.size() && i < kMaxPayload; ++i) r[kPayloadOffset + i] = payload[i];
  SealReport(r.data());
  return r;
}

struct Answer {
  hid::TransferStatus status = hid::TransferStatus::Failed;
  Report reply{};
};

// One request and the next input report on the same handle.
inline Answer Exchange(hid::HidDevice& h, const Report& request, int timeoutMs = 200) {
  Answer a;
  const auto w = h.Write(request.data(), request.size(), timeoutMs);
  if (w.status != hid::TransferStatus::Ok) {
    a.status = w.status;
    return a;
  }
  const auto r = h.Read(a.reply.data(), a.reply.size(), timeoutMs);
  a.status = r.status;
  return a;
}

// Reads `total` bytes of a block in chunks, as the command link does; empty on any failure.
inline std::vector<uint8_t> ReadBlock(hid::HidDevice& h, uint8_t code, size_t total, size_t chunk,
                                      uint16_t base = 0) {
  std::vector<uint8_t> out;
  for (size_t pos = 0; pos < total; pos += chunk) {
    const size_t n = std::min(chunk, total - pos);
    const auto a = Exchange(h, MakeRequest(code, static_cast<uint8_t>(n), static_cast<uint16_t>(base + pos)));
    if (a.status != hid::TransferStatus::Ok || a.reply[3] != code || a.reply[7] == kStatusFailed ||
        a.reply[7] == kStatusRefused)
      return {};
    out.insert(out.end(), a.reply.begin() + kPayloadOffset, a.reply.begin() + kPayloadOffset + n);
  }
  return out;
}

// Writes a block in chunks; the status of the first refused chunk, or kStatusOk.
inline uint8_t WriteBlock(hid::HidDevice& h, uint8_t code, const std::vector<uint8_t>& data, size_t chunk,
                          uint16_t base = 0) {
  for (size_t pos = 0; pos < data.size(); pos += chunk) {
    const size_t n = std::min(chunk, data.size() - pos);
    std::vector<uint8_t> part(data.begin() + static_cast<std::ptrdiff_t>(pos),
                              data.begin() + static_cast<std::ptrdiff_t>(pos + n));
    const auto a = Exchange(h, MakeRequest(code, static_cast<uint8_t>(n), static_cast<uint16_t>(base + pos), part));
    if (a.status != hid::TransferStatus::Ok) return kStatusFailed;
    if (a.reply[7] == kStatusFailed || a.reply[7] == kStatusRefused) return a.reply[7];
  }
  return kStatusOk;
}

inline std::string CommandPath(SimBackend& backend, const std::string& node) {
  for (const auto& p : backend.PathsOf(node))
    if (p.find("&mi_01&col04") != std::string::npos) return p;
  return {};
}

inline std::string CompanionPath(SimBackend& backend, const std::string& node) {
  for (const auto& p : backend.PathsOf(node))
    if (p.find("&mi_01&col03") != std::string::npos) return p;
  return {};
}

// A fresh folder for memory files, also set as ORLO_SIM_DIR for the test's duration.
class TempSimDir {
 public:
  TempSimDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("orlo-sim-" + std::to_string(::getpid()) + "-" + (info ? info->name() : "x"));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    ::setenv("ORLO_SIM_DIR", path_.c_str(), 1);
  }
  ~TempSimDir() {
    ::unsetenv("ORLO_SIM_DIR");
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string Folder() const { return path_.string() + "/"; }

 private:
  std::filesystem::path path_;
};

inline SimOptions NoPersistence() {
  SimOptions o;
  o.persist = false;
  return o;
}

}  // namespace orlo::sim::test
