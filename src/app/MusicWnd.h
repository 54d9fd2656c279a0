#pragma once
// The music style window: the user picks the active music style, renames the four styles and
// sets each style's colour in steps of 0 to 9. The window only edits the record it is given;
// storing it and sending the colour on are the main window's. Closed with "okbtn" the run
// returns 1, with "closebtn" (or any other way) 0.
//
// A style's default name is kept in the file as its Chinese name ("第一组" … "第四组") and shown
// in the interface language, so a name the user never changed follows the language. An emptied
// name takes the default again when its edit loses focus.
#include <QPointer>
#include <QString>
#include <array>
#include <cstddef>
#include <string>

#include "app/MusicSettings.h"
#include "ui/WindowUI.h"

class QLineEdit;
class QRadioButton;
class QSlider;

namespace orlo {

class CMusicWnd : public ui::CWindowUI {
  Q_OBJECT
 public:
  explicit CMusicWnd(QWidget* owner = nullptr);

  std::string GetWindowClassName() const override { return "MusicWnd"; }
  std::string GetSkinFile() const override { return "music"; }
  void InitWindow() override;
  void Notify(ui::TNotifyUI& msg) override;

  // 48, 72, 96, 120, 144, 168 or 192; any other value writes a diagnostic line and uses 96.
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }
  // The record the window starts from; the controls take it over when it is first shown.
  void SetSettings(const MusicStyleSettings& settings) { settings_ = settings; }
  MusicStyleSettings GetSettings() const { return settings_; }

  // Builds the window at its DPI; false when its layout is missing. Tests show it and drive
  // its controls from here, without the modal loop.
  bool Prepare();
  // Prepares, centres on the owner and runs modally; the result of the run.
  int Run();
  // The interface language changed: the default names shown follow it.
  void OnLanguageChanged();

  // The stored default name of style n (0-3), and the text id it is shown with.
  static const char* StoredDefaultName(size_t n);
  static std::string DefaultNameId(size_t n);

 private:
  void OnWindowInit();
  // The sliders and the swatch show the colour of style n.
  void ShowStyleColour(size_t n);
  void ShowSwatch(size_t n);
  // The first selected option, in order; 0 when none is.
  size_t SelectedStyle() const;
  // Name n takes the text of its edit; an empty one takes the default again.
  void TakeName(size_t n);
  QString ShownName(size_t n) const;

  MusicStyleSettings settings_;
  int dpi_ = 96;
  std::array<QPointer<QRadioButton>, MusicStyleSettings::kStyles> options_;
  std::array<QPointer<QLineEdit>, MusicStyleSettings::kStyles> names_;
  std::array<QPointer<QSlider>, 3> sliders_;
  QPointer<QWidget> closeButton_;
  bool showing_ = false;  // the controls are being set from the record
};

}  // namespace orlo
