#pragma once
// The lighting panel of every device page: it shows one light effect (LightInfo) in its
// controls, enables only the groups the selected mode uses on the device's kind
// (LightModeLayout), and gives back what the user set, one field at a time. On the keyboard it
// also shows the music lighting record (AudioLightInfo) and keeps a copy of it. The panel holds
// no profile data: its routes (CLightControlRoutes) read a control, change one field of the
// driver's effect and have the driver store and write it.
//
// The controls come from the panel's own layout file, loaded into the panel by FindControls, and
// are looked up by name. Values shown from code raise no notification. A missing control makes a
// setter do nothing and a getter return 0, -1 or an empty text; a missing music control is
// written to the debug output and the call ignored (nullopt / false).
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pages/light/LightModeLayout.h"
#include "profile/KeyboardProfiledata.h"
#include "profile/LightData.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QSlider;

namespace orlo {

class CLightControlUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "CLightControlUI";
  static constexpr const char* kItemName = "light_control";
  static constexpr const char* kLayoutFile = "XML/CustomControlXML/LightPanel.xml";
  static constexpr int kPresetCount = 8;
  static constexpr int kAudioModeCount = 7;
  static constexpr int kSecondModeCount = 4;
  // Colour groups of the keyboard's per-key colour effect.
  static constexpr int kCustomGroupCount = CKeyboardProfiledata::kCustomGroupCount;

  explicit CLightControlUI(QWidget* parent = nullptr);
  static void RegisterControl();

  // Loads the panel's layout when it has none yet and fills its fixed lists; false when the
  // layout cannot be built or has no mode list.
  bool FindControls();
  // The device kind (DeviceKind; receivers fold to their wired kind). Groups only the keyboard
  // has are hidden on other kinds.
  void SetKind(uint16_t kind);
  uint16_t Kind() const { return kind_; }
  // Replaces the mode list: one item per name, item i being mode i; a name whose visible flag is
  // 0 keeps its place but is not shown. The sliders run from 0 to the two maxima.
  void FillModeList(const std::vector<std::string>& names, const std::vector<bool>& visible, int maxBrightness,
                    int maxSpeed);
  // Texts of the fixed lists (music modes, second modes) in the current language.
  void RefreshTexts();

  // The whole effect: every control, then the mode's layout.
  void ShowEffect(const LightInfo& effect);

  // ---- single fields ---------------------------------------------------------------------------
  // Selects mode m and applies its layout.
  void SelectMode(int m);
  int GetMode() const;
  void SelectCustomMode(int i);
  int GetCustomMode() const;
  void SetBrightness(int v);
  int GetBrightness() const;
  void SetSpeed(int v);
  int GetSpeed() const;
  void SetRedText(const std::string& text);
  void SetGreenText(const std::string& text);
  void SetBlueText(const std::string& text);
  std::string GetRedText() const;
  std::string GetGreenText() const;
  std::string GetBlueText() const;
  void SelectSecondMode(int i);
  int GetSecondMode() const;
  // 0xFF000000 when there is no palette.
  void SetPaletteColour(uint32_t argb);
  uint32_t GetPaletteColour() const;
  // Background of "deng_colordp_btn".
  void SetColourButton(uint32_t argb);
  uint32_t GetColourButton() const;
  // Background of "color_option_" + n; 0 when there is none.
  uint32_t GetPresetColour(int n) const;
  void SetMulticolour(bool on);
  bool GetMulticolour() const;
  // FXL on for a non-zero direction, FXR otherwise.
  void SetDirection(int direction);

  // ---- mode layout -----------------------------------------------------------------------------
  // Stores the flag and applies the layout of the mode list's selection again.
  void SetSyncAllowed(bool allowed);
  bool SyncAllowed() const { return syncAllowed_; }
  void ApplyModeLayout(uint16_t kind, int mode);

  // ---- music lighting (keyboard) ---------------------------------------------------------------
  bool HasMusicControls() const;
  // Stores and shows the record: the foreground colour with the multicolour option when the
  // colour-type flag is set, else the background colour (multicolour option off); audio mode 3
  // disables the music colour groups. False (nothing shown) when a music control is missing.
  bool SetAudioLightInfo(const AudioLightInfo& record);
  // The record the music controls describe (mode, multicolour, colour type); with readColour the
  // colour of "deng_audiocolordp_btn" first goes into the edited colour. Nullopt when a music
  // control is missing.
  std::optional<AudioLightInfo> GetAudioLightInfo(bool readColour);
  const AudioLightInfo& AudioRecord() const { return audio_; }
  // Text of "deng_audioedit_R/G/B" for component 0, 1, 2.
  std::optional<std::string> GetLightAudioColor(int component) const;
  uint32_t GetAudioPresetColour(int n) const;
  uint32_t GetAudioPaletteColour() const;

 private:
  template <class T>
  T* Control(const char* name) const;
  template <class T>
  T* Control(const std::string& name) const { return Control<T>(name.c_str()); }
  void SetEnabled(const char* name, bool on);
  void SetShown(const char* name, bool on);
  void SetSwatch(QAbstractButton* button, uint32_t argb);
  static uint32_t SwatchColour(const QWidget* button);
  void ShowAudioColour(uint8_t r, uint8_t g, uint8_t b);

  uint16_t kind_ = 0;
  bool syncAllowed_ = false;
  bool built_ = false;
  AudioLightInfo audio_{};
};

}  // namespace orlo
