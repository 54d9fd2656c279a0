#include "device/model/LedState.h"

namespace orlo {

void CLedState::Resize(int count) {
  count_ = count < 0 ? 0 : count;
  entries_ = std::make_unique<std::atomic<uint32_t>[]>(static_cast<size_t>(count_));
  for (int i = 0; i < count_; ++i) entries_[i].store(0, std::memory_order_relaxed);
}

void CLedState::SetWord(int index, uint32_t value) {
  if (index >= 0 && index < count_) entries_[index].store(value, std::memory_order_relaxed);
}

uint32_t CLedState::GetWord(int index) const {
  return index >= 0 && index < count_ ? entries_[index].load(std::memory_order_relaxed) : 0;
}

void CLedState::Fill(preview::Rgb colour, uint8_t brightness) {
  for (int i = 0; i < count_; ++i) Set(i, colour, brightness);
}

}  // namespace orlo
