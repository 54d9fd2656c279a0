#pragma once
// Per-LED colour and brightness written by a light thread and read by the UI thread. Each entry
// is one 32-bit atomic word (red, green, blue, brightness), so a reader never sees half of an
// entry. The size is fixed while threads run; Resize only while no light thread does.
#include <atomic>
#include <cstdint>
#include <memory>

#include "device/model/PreviewTables.h"

namespace orlo {

struct LedValue {
  uint8_t r = 0, g = 0, b = 0, brightness = 0;
  static LedValue FromWord(uint32_t w) {
    return {static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(w >> 16),
            static_cast<uint8_t>(w >> 24)};
  }
  uint32_t Word() const { return r | (g << 8) | (b << 16) | (static_cast<uint32_t>(brightness) << 24); }
  bool operator==(const LedValue&) const = default;
};

class CLedState {
 public:
  explicit CLedState(int count = 0) { Resize(count); }
  void Resize(int count);
  int Size() const { return count_; }

  // Invalid indices are ignored (set) or read as 0 (get).
  void SetWord(int index, uint32_t value);
  uint32_t GetWord(int index) const;
  void Set(int index, preview::Rgb colour, uint8_t brightness) {
    SetWord(index, LedValue{colour.r, colour.g, colour.b, brightness}.Word());
  }
  LedValue Get(int index) const { return LedValue::FromWord(GetWord(index)); }
  void Fill(preview::Rgb colour, uint8_t brightness);

 private:
  std::unique_ptr<std::atomic<uint32_t>[]> entries_;
  int count_ = 0;
};

}  // namespace orlo
