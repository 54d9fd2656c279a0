#pragma once
// Turns captured key presses and mouse clicks into event rows of the open macro: finds the key
// in the key table, drops auto-repeat and repeated button messages, computes the delays by the
// delay mode and puts the row where the capture mode says (appended, before or after the
// selected row, or in place of the selected row's key). Also inserts mouse events without
// recording (the row menu's button commands and the pointer-move buttons).
#include <cstdint>

#include "macro/MacroEvent.h"
#include "macro/capture/DeviceHook.h"
#include "macro/capture/InputCapture.h"
#include "macro/capture/MacroRowEditor.h"

namespace orlo {

enum MacroDelayMode : int { kDelayRecorded = 1, kDelayConstant = 2, kDelayIgnored = 3 };

struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
};

class CMacroRecorder {
 public:
  static constexpr int kDefaultConstantDelay = 50;

  explicit CMacroRecorder(IMacroRowEditor& rows) : rows_(rows) {}

  // Stored capped at 65535; returns the value stored.
  int SetConstantDelay(long long ms);
  int ConstantDelay() const { return constantDelay_; }

  // Recording starts: the time of the last event becomes nowMs. The has-previous-event flag
  // is kept, so a second recording continues the timing chain of the first.
  void Begin(int captureMode, int delayMode, int64_t nowMs);
  void End() { captureMode_ = 0; }
  bool Recording() const { return captureMode_ != 0; }
  int CaptureMode() const { return captureMode_; }
  int DelayMode() const { return delayMode_; }
  // A left press or release inside this rectangle is not recorded (the click that stops).
  void SetIgnoredArea(const ScreenRect& area) { ignored_ = area; }

  // One captured input; true when a row was added or changed.
  bool Take(const CapturedInput& input);

  // A mouse event inserted without recording: after the selected row (at the top without a
  // selection), selected, with the constant delay. False at the row limit.
  bool InsertAfterSelection(int type, int button, bool down);

  // The event a row holds for these values.
  static Json::Value EventJson(int type, int button, bool down, int delay);

 private:
  bool TakeKey(const CapturedInput& input);
  bool TakeMouse(const CapturedInput& input);
  bool Place(int type, int button, bool down, int64_t timeMs);

  IMacroRowEditor& rows_;
  int captureMode_ = 0;
  int delayMode_ = kDelayRecorded;
  int constantDelay_ = kDefaultConstantDelay;
  int64_t lastTime_ = 0;
  bool hasPrevious_ = false;
  ScreenRect ignored_;
  // Auto-repeat: the key last pressed, until it is released.
  bool keyHeld_ = false;
  uint8_t heldScanCode_ = 0;
  bool heldExtended_ = false;
  // The last mouse message (button and direction); the same one again is dropped.
  int lastMouse_ = 0;
};

}  // namespace orlo
