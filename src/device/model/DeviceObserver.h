#pragma once
// What a driver needs of its page. The driver is the model and controller; the page is a view
// that implements this interface and pulls the driver's state. Drivers never see a widget.
//
// Threads: the notifications (On...) and the hand-offs (PostToUiThread, ArmTimer,
// PostMainMessage) may be called from a driver's worker threads; the page must move them to
// its UI thread. Every other operation is called on the UI thread.
#include <cstdint>
#include <functional>
#include <string>

namespace orlo {

class IDeviceObserver {
 public:
  virtual ~IDeviceObserver() = default;

  // --- notifications ---------------------------------------------------------------------
  // Active profile, stages or light state changed; the page re-reads what it shows.
  virtual void OnProfileStateChanged() {}
  // The preview LEDs were recomputed (the page paints on its own timer as well).
  virtual void OnLedsChanged() {}
  // The key list or the key map changed.
  virtual void OnKeyAssignmentsChanged() {}

  // --- hand-offs to the UI thread ---------------------------------------------------------
  // Runs task on the UI thread (a posted message, not waited for).
  virtual void PostToUiThread(std::function<void()> task) = 0;
  // Arms the device tab's timer id to fire once after ms (1002: ReloadFromDevice).
  virtual void ArmTimer(int id, int ms) = 0;
  // Posts a private message to the main window (3329: battery level in wParam).
  virtual void PostMainMessage(int message, intptr_t wParam, intptr_t lParam) = 0;

  // --- page-side operations ----------------------------------------------------------------
  virtual void BuildPage() {}
  // Binds the device picture's "key_"/"light_" buttons (the base InitPage).
  virtual void InitPage() {}
  // Fills the page's controls from the driver's profile state.
  virtual void ApplyProfileToPage() {}
  // Copies the driver's LED state into the visible light buttons.
  virtual void PaintLeds() {}
  // Relabels the key buttons and refills the key information list.
  virtual void ShowKeyAssignments() {}
  // Shows the selected key's assignment panel.
  virtual void SelectKey(int /*index*/) {}
  // Switches the page's tab layouts "device_function_switch" (fPage) and
  // "device_key_function_switch" (kPage); -1 leaves a layout unchanged.
  virtual void ShowFunctionTab(int /*fPage*/, int /*kPage*/) {}
  // Macro catalogue and light name lists were (re)loaded into the driver.
  virtual void OnCataloguesLoaded() {}
  // Slider and edit ranges of the five resolution stages.
  virtual void SetStageRanges(int /*sliderMax*/, int /*editMax*/) {}
  // The six power-state bytes for the tab's power indicator.
  virtual void ShowPower(const uint8_t* /*bytes*/, int /*count*/) {}
  // The nine-byte audio light record shown on / taken back from the lighting page.
  virtual void ShowAudioLightSettings(const uint8_t* /*record9*/) {}
  virtual bool TakeAudioLightSettings(uint8_t* /*record9*/) { return false; }
};

}  // namespace orlo
