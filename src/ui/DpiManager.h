#pragma once
// The toolkit DPI: one value for every window, in steps of 24 from 48 to 192. Layout sizes,
// absolute positions and fonts are designed at 96 and scaled by dpi / 96.
#include <string>

class QWidget;

namespace orlo::ui {

class CDpiManager {
 public:
  static bool IsAccepted(int dpi);
  // `dpi` when accepted, else 96 after writing `diagnostic` to the debug log.
  static int Checked(int dpi, const std::string& diagnostic);
  // 144 for a monitor wider than 1500 and taller than 960 pixels, else 96.
  static int ForScreen(int width, int height);

  static int Dpi();
  // Rescales every top-level window; nothing happens when the value does not change.
  // An unaccepted value is ignored.
  static void SetAllDPI(int dpi);
  static int Scale(int px);
  // Rescales one tree to the current DPI (used for trees built after the last change).
  static void ApplyTo(QWidget* tree);
};

}  // namespace orlo::ui
