#pragma once
// Colours the self-painted controls share with the dark skin's style sheet, so that they look
// right even where no style sheet reaches them (tests, a missing skin).
#include <QColor>

namespace orlo::ui::colours {

inline QColor Surface() { return QColor(0x26, 0x28, 0x2C); }
inline QColor Raised() { return QColor(0x2E, 0x30, 0x35); }
inline QColor RaisedHover() { return QColor(0x37, 0x3A, 0x40); }
inline QColor Line() { return QColor(0x3A, 0x3D, 0x43); }
inline QColor Text() { return QColor(0xE6, 0xE7, 0xE9); }
inline QColor MutedText() { return QColor(0x9A, 0x9E, 0xA6); }
inline QColor Disabled() { return QColor(0x5C, 0x60, 0x68); }
inline QColor Accent() { return QColor(0x2F, 0xB5, 0xA8); }
inline QColor AccentHover() { return QColor(0x3C, 0xCB, 0xBD); }
inline QColor AccentPressed() { return QColor(0x23, 0x96, 0x8B); }
inline QColor Recording() { return QColor(0xE5, 0x48, 0x4D); }

}  // namespace orlo::ui::colours
