#pragma once
// The modal colour picker that lighting controls open: a palette, twenty preset swatches, twenty
// swatches the user collects, red/green/blue fields, a preview and the seven-colour option. The
// swatches and their selections persist in the colour file (CColourOptionFile); OK hands the
// preview's colour to the caller.
//
// Collecting: "7color_collect" arms the collected row; the next click on a collected swatch
// stores the current colour there, selects it and saves. Without it, a collected swatch that
// holds no colour ignores clicks, and one that holds a colour makes it current.
#include <QPointer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/ColourOptionFile.h"
#include "ui/DialogBuilder.h"
#include "ui/WindowUI.h"

class QAbstractButton;
class QKeyEvent;
class QLineEdit;

namespace orlo {

namespace ui {
class CColorPaletteUI;
}

class CColorSelectWnd : public ui::CWindowUI {
  Q_OBJECT
 public:
  // Runs the prepared window until it closes and gives its result (1 for OK). The default shows
  // it modally; tests drive the window and close it themselves.
  using Runner = std::function<int(CColorSelectWnd&)>;

  CColorSelectWnd(QWidget* owner, CColourOptionFile file);

  std::string GetWindowClassName() const override { return "ColorSelectWnd"; }
  std::string GetSkinFile() const override { return "PalletDialog"; }
  void InitWindow() override;
  void Notify(ui::TNotifyUI& msg) override;

  // Builds the window, loads the colour file and shows `argb` as the current colour. The
  // seven-colour option is shown only when the caller can use it. False when the layout is
  // missing.
  bool Open(uint32_t argb, bool offerSevenColour = false);

  // The current colour, alpha 0xFF: what the preview shows and OK returns.
  uint32_t Colour() const { return colour_; }
  bool SevenColour() const { return sevenColour_; }
  const ColourOptions& Options() const { return options_; }

  // Opens the picker over owner with `initial`; the chosen colour on OK, nothing otherwise.
  static std::optional<uint32_t> Pick(QWidget* owner, uint32_t initial, const CColourOptionFile& file,
                                      const Runner& run = {});

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class Source { kOther, kPalette, kFields };

  QAbstractButton* Preset(int index) const;
  QAbstractButton* Collected(int index) const;
  QLineEdit* Field(int channel) const;
  void ShowSwatches();
  void ShowCollected(int index);
  // Makes argb (alpha forced to 0xFF) current; the parts other than `source` follow.
  void SetCurrent(uint32_t argb, Source source);
  void ShowPreview();
  void OnPresetChosen(int index);
  void OnCollectedClicked(int index);
  // The fields as a colour; a value over 255 is shown and taken as 255, an empty field as 0.
  // `tidy` also rewrites empty or zero-padded fields ("" → "0", "007" → "7").
  void OnFieldsEdited(bool tidy);
  void Save();

  CColourOptionFile file_;
  ColourOptions options_;
  QPointer<ui::CColorPaletteUI> palette_;
  uint32_t colour_ = 0xFFFFFFFFu;
  bool sevenColour_ = false;
};

}  // namespace orlo
