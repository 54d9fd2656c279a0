#pragma once
// The one notification type of the toolkit: a type string, the sender control (compared by name)
// and two integers. Windows and other listeners receive them through INotifyUI.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

class QWidget;

namespace orlo::ui {

// Control names compare without regard to case (ASCII), as layouts spell them either way.
inline bool NameIs(std::string_view name, std::string_view expected) {
  return std::equal(name.begin(), name.end(), expected.begin(), expected.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
}
inline bool NameStartsWith(std::string_view name, std::string_view prefix) {
  return name.size() >= prefix.size() && NameIs(name.substr(0, prefix.size()), prefix);
}

// Notification type strings, spelled as the layouts and routing code compare them.
namespace notify {
inline constexpr const char* kWindowInit = "windowinit";
inline constexpr const char* kClick = "click";
inline constexpr const char* kSelectChanged = "selectchanged";
inline constexpr const char* kValueChanged = "valuechanged";
inline constexpr const char* kMoveValueChanged = "movevaluechanged";
inline constexpr const char* kTextChanged = "textchanged";
inline constexpr const char* kKillFocus = "killfocus";
inline constexpr const char* kSetFocus = "setfocus";
inline constexpr const char* kItemSelect = "itemselect";
inline constexpr const char* kItemClick = "itemclick";
inline constexpr const char* kItemActivate = "itemactivate";
inline constexpr const char* kMenu = "menu";
inline constexpr const char* kReturn = "return";
inline constexpr const char* kTimer = "timer";
inline constexpr const char* kDbClick = "dbclick";
inline constexpr const char* kColorChanged = "colorchanged";
inline constexpr const char* kMouseEnter = "msenter";
inline constexpr const char* kMouseLeave = "msleave";
inline constexpr const char* kClickSelectEnd = "click_select_end";
}  // namespace notify

struct TNotifyUI {
  std::string sType;
  QWidget* pSender = nullptr;  // may be null for notifications raised without a control
  std::string sSenderName;     // the sender's objectName at the time it was raised
  std::int64_t wParam = 0;
  std::int64_t lParam = 0;
};

class INotifyUI {
 public:
  virtual ~INotifyUI() = default;
  virtual void Notify(TNotifyUI& msg) = 0;
};

// A control that handles its own timers. Returning false lets the timer reach the owning window
// as a "timer" notification instead.
class ITimerHandlerUI {
 public:
  virtual ~ITimerHandlerUI() = default;
  virtual bool OnControlTimer(int id) = 0;
};

}  // namespace orlo::ui
