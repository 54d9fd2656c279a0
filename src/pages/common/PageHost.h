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
  virtual bool Confirm(const std::string& /*textId*/) { return false; }
  // Message box with one button showing a text already put together (not a text id).
  virtual void ShowText(const std::string& /*text*/) {}
  // The system's file dialog: a file to open (save false) or to write; empty when cancelled.
  // filter: "Macro Files(*.mac)" and the like.
  virtual std::string ChooseFile(bool /*save*/, const std::string& /*filter*/) { return {}; }
  // Colour picker seeded with `argb`; false when cancelled.
  virtual bool PickColour(uint32_t& /*argb*/) { return false; }
};

}  // namespace orlo
