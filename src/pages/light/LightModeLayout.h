#pragma once
// Which groups of the lighting panel a light mode uses on a kind of device: the panel enables,
// shows or switches its groups by this table whenever the mode changes. Plain data, no widgets.
//
// Groups: E "lighteffect_layout", M "deng_7color_check", C "deng_color_layout",
// P "colorpallet_layout", B "deng_light_layout", S "deng_speed_layout", D "deng_fx_layout".
// A field left empty means "leave the control as it is".
#include <cstdint>
#include <optional>
#include <string>

namespace orlo {

struct LightModeLayout {
  // False for a kind without a table: the groups below are then left alone.
  bool known = false;
  bool effect = false, multicolour = false, colour = false, palette = false;
  bool brightness = false, speed = false;
  std::optional<bool> direction;  // D; the hub leaves it alone
  // The mode offers "deng_same_mode" (shown only while synchronisation is allowed).
  bool sync = false;

  // Further switches of the keyboard and the mouse.
  std::optional<bool> speedShown;        // "deng_speed_layout" visible
  std::optional<bool> customShown;       // "lightcustom_layout"
  std::optional<bool> secondModeShown;   // "light_combo_ZZCCmodeSelectLayout"
  std::optional<bool> audioModeShown;    // "light_combo_AudiomodeSelectLayout"
  std::optional<bool> colourAreaEnabled; // "light_color_layout"
  std::optional<int> colourPage;         // "light_color_tablayout": 0 colours, 1 music colours
  std::optional<bool> colourShown;       // "deng_color_layout" visible
  std::optional<bool> rgbEnabled;        // "deng_rgb_layout"
  // Text ids of the direction options "deng_FXL_check" and "deng_FXR_check".
  std::optional<std::string> leftLabel, rightLabel;
};

// The layout of `mode` on `kind` (1 keyboard, 2 mouse, 3 mousepad, 4 and 7 headset, 5 hub;
// receiver kinds 6 and 9 as their wired kinds). An unknown kind changes nothing but hides the
// synchronisation button.
LightModeLayout LightModeLayoutOf(uint16_t kind, int mode);

}  // namespace orlo
