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
  // A message from a language text holding one integer placeholder, filled with number.
  virtual void ShowNumberMessage(const std::string& /*textId*/, long long /*number*/) {}
  // File dialogs with a filter such as "Profile Files(*.json)"; empty when cancelled.
  virtual std::string AskOpenPath(const std::string& /*filter*/) { return {}; }
  virtual std::string AskSavePath(const std::string& /*filter*/) { return {}; }
  // Starts (or restarts) the window's profile-switch timer; when it fires, the window asks the
  // selected device's page to switch to the profile chosen in its list.
  virtual void StartProfileSwitchTimer() {}
  // A macro recording started (true) or ended: the device tabs and the selected device's
  // profile control are locked meanwhile.
  virtual void SetRecordingLock(bool /*locked*/) {}
  // The selected device's lighting page asked every connected device to show its effect
  // together ("deng_same_mode").
  virtual void SyncLighting() {}
  // The keyboard's music lighting asked for the music style window ("music_setting_btn").
  virtual void OpenMusicWindow() {}
  // A profile reset puts the music styles back to their defaults as well.
  virtual void ResetMusicSettings() {}
};

}  // namespace orlo
