#pragma once
// What a page's routes need of the window they live in.
#include <cstdint>
#include <string>

namespace orlo {

class IPageHost {
 public:
  virtual ~IPageHost() = default;
  virtual int ScreenWidth() const { return 0; }
  virtual int ScreenHeight() const { return 0; }
  // Message box with one button / with a confirmation; false when the user declines.
  virtual void ShowMessage(const std::string& /*textId*/) {}
  // Message box with one button showing `text` as it is (a language text already formatted).
  virtual void ShowMessageText(const std::string& /*text*/) {}
  virtual bool Confirm(const std::string& /*textId*/) { return false; }
  // Colour picker seeded with `argb`; false when cancelled.
  virtual bool PickColour(uint32_t& /*argb*/) { return false; }
};

}  // namespace orlo
