#include "macro/capture/MacroRecorder.h"

#include <algorithm>
#include <string>

#include "profile/KeyAssign.h"

namespace orlo {
namespace {

constexpr int kLeftButton = 1;

bool IsButtonBit(int b) { return b == 1 || b == 2 || b == 4 || b == 8 || b == 16; }

}  // namespace

int CMacroRecorder::SetConstantDelay(long long ms) {
  constantDelay_ = static_cast<int>(std::clamp<long long>(ms, 0, kMacroMaxDelay));
  return constantDelay_;
}

void CMacroRecorder::Begin(int captureMode, int delayMode, int64_t nowMs) {
  captureMode_ = captureMode;
  delayMode_ = delayMode;
  lastTime_ = nowMs;
  keyHeld_ = false;
  lastMouse_ = 0;
}

Json::Value CMacroRecorder::EventJson(int type, int button, bool down, int delay) {
  Json::Value e(Json::objectValue);
  e["Type"] = type;
  e["Button"] = button;
  e["Action"] = down ? "down" : "up";
  e["Delay"] = std::to_string(delay);
  return e;
}

bool CMacroRecorder::Take(const CapturedInput& input) {
  switch (captureMode_) {
    case kCaptureAppend: case kCaptureBefore: case kCaptureAfter: case kCaptureReplace:
      break;
    default:
      return false;
  }
  return input.kind == CapturedInput::kKey ? TakeKey(input) : TakeMouse(input);
}

bool CMacroRecorder::TakeKey(const CapturedInput& input) {
  const bool same = keyHeld_ && heldScanCode_ == input.scanCode && heldExtended_ == input.extended;
  if (input.down) {
    if (same) return false;  // auto-repeat of the key held down
    keyHeld_ = true;
    heldScanCode_ = input.scanCode;
    heldExtended_ = input.extended;
  } else if (same) {
    keyHeld_ = false;
  }
  const KeyCodeEntry* key = FindKeyByScanCode(input.scanCode, input.extended);
  if (key == nullptr) return false;
  // The first eight rows are the modifiers, recorded by their modifier bit.
  const bool modifier = key >= KeyCodeTable().data() && key < KeyCodeTable().data() + 8;
  return modifier ? Place(kMacroModifier, key->code1, input.down, input.timeMs)
                  : Place(kMacroKey, key->code2, input.down, input.timeMs);
}

bool CMacroRecorder::TakeMouse(const CapturedInput& input) {
  if (!IsButtonBit(input.button)) return false;
  const int message = input.button * 2 + (input.down ? 1 : 0);
  if (message == lastMouse_) return false;
  lastMouse_ = message;
  if (input.button == kLeftButton && ignored_.Contains(input.x, input.y)) return false;
  return Place(kMacroMouseButton, input.button, input.down, input.timeMs);
}

bool CMacroRecorder::Place(int type, int button, bool down, int64_t timeMs) {
  const int selected = rows_.SelectedRow();
  if (captureMode_ == kCaptureReplace) {
    if (selected < 0) return false;
    Json::Value event = rows_.RowEvent(selected);
    if (!event.isObject()) return false;
    event["Type"] = type;
    event["Button"] = button;
    event["Delay"] = std::to_string(rows_.RowDelay(selected));
    rows_.SetRowEvent(selected, event);
    return true;
  }
  if ((captureMode_ == kCaptureBefore || captureMode_ == kCaptureAfter) && selected < 0) return false;
  int delay = 0;
  if (delayMode_ == kDelayRecorded) {
    delay = static_cast<int>(std::clamp<int64_t>(timeMs - lastTime_, 0, kMacroMaxDelay));
    lastTime_ = timeMs;
  } else if (delayMode_ == kDelayConstant) {
    delay = constantDelay_;
  }
  const int count = rows_.RowCount();
  if (count >= kMacroMaxEvents) return false;
  const int ownDelay = count == 0 || delayMode_ != kDelayConstant ? 0 : constantDelay_;
  const Json::Value event = EventJson(type, button, down, ownDelay);
  switch (captureMode_) {
    case kCaptureAppend:
      rows_.InsertRow(count, event);
      if (hasPrevious_ && count > 0) rows_.SetRowDelay(count - 1, delay);
      break;
    case kCaptureBefore:
      rows_.InsertRow(selected, event);
      if (hasPrevious_ && selected > 0) rows_.SetRowDelay(selected - 1, delay);
      rows_.SelectRow(selected + 1);
      rows_.ScrollToSelection();
      break;
    default:  // after
      rows_.InsertRow(selected + 1, event);
      if (hasPrevious_) rows_.SetRowDelay(selected, delay);
      rows_.SelectRow(selected + 1);
      rows_.ScrollToSelection();
      break;
  }
  hasPrevious_ = true;
  return true;
}

bool CMacroRecorder::InsertAfterSelection(int type, int button, bool down) {
  const int count = rows_.RowCount();
  if (count >= kMacroMaxEvents) return false;
  const int selected = rows_.SelectedRow();
  const int at = selected < 0 ? 0 : selected + 1;
  rows_.InsertRow(at, EventJson(type, button, down, constantDelay_));
  rows_.SelectRow(at);
  return true;
}

}  // namespace orlo
