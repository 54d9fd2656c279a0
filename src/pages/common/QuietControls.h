#pragma once
// Setters the pages use when they fill controls from the model: the control changes without
// raising its notification, so filling a page never routes back into the driver as if the user
// had changed it.
#include <QAbstractButton>
#include <QComboBox>
#include <QSlider>

#include "ui/NotifyBridge.h"

namespace orlo {

// Sets a check state without raising "selectchanged".
inline void SetCheckedQuietly(QAbstractButton* b, bool on) {
  if (b == nullptr || b->isChecked() == on) return;
  ui::CNotifyBridge::Mute mute(b);
  // Exclusive siblings would refuse to uncheck; the page keeps exclusivity itself.
  const bool exclusive = b->autoExclusive();
  b->setAutoExclusive(false);
  b->setChecked(on);
  b->setAutoExclusive(exclusive);
}

// Selects item `index` (none when out of range) without raising "itemselect".
inline void SelectQuietly(QComboBox* combo, int index) {
  if (combo == nullptr) return;
  ui::CNotifyBridge::Mute mute(combo);
  combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

inline void SetValueQuietly(QSlider* s, int v) {
  if (s == nullptr) return;
  ui::CNotifyBridge::Mute mute(s);
  s->setValue(v);
}

}  // namespace orlo
