#pragma once
// Registers the custom controls with the toolkit's factory, and applies the skin's style sheet.
class QApplication;

namespace orlo {

void RegisterCustomControls();
// The skin's style sheet (skin/style/dark.qss); nothing when it is missing.
void ApplySkinStyle(QApplication& app);

}  // namespace orlo
