#include "pages/light/LightModeLayout.h"

#include "base/DeviceKinds.h"

namespace orlo {

namespace {

// groups: one character per group E M C P B S (D), '1' enabled; six characters leave D alone.
void SetGroups(LightModeLayout& l, const char* groups, bool sync = false) {
  l.known = true;
  l.effect = groups[0] == '1';
  l.multicolour = groups[1] == '1';
  l.colour = groups[2] == '1';
  l.palette = groups[3] == '1';
  l.brightness = groups[4] == '1';
  l.speed = groups[5] == '1';
  if (groups[6] != '\0') l.direction = groups[6] == '1';
  l.sync = sync;
}

void SetLabels(LightModeLayout& l, const char* left, const char* right) {
  l.leftLabel = left;
  l.rightLabel = right;
}

LightModeLayout Keyboard(int mode) {
  LightModeLayout l;
  l.customShown = false;
  l.secondModeShown = false;
  l.audioModeShown = false;
  l.speedShown = true;
  l.colourAreaEnabled = true;
  l.colourPage = 0;
  SetLabels(l, "light_set_right_to_left_text", "light_set_left_to_right_text");
  switch (mode) {
    case 1: case 2:
      SetGroups(l, "1111111");
      break;
    case 3: case 24:
      SetGroups(l, "1111111");
      SetLabels(l, "light_set_clockwise_text", "light_set_anticlockwise_text");
      break;
    case 21:
      SetGroups(l, "1111111");
      SetLabels(l, "light_set_up_to_down_text", "light_set_down_to_up_text");
      break;
    case 4:
      SetGroups(l, "1000110", true);
      l.colourAreaEnabled = false;
      break;
    case 5: case 23:
      SetGroups(l, "1111110", true);
      break;
    case 6:
      SetGroups(l, "1111100", true);
      break;
    case 7: case 8: case 9: case 10: case 13: case 14: case 15: case 22: case 25:
      SetGroups(l, "1111110");
      break;
    case 11: case 26:
      SetGroups(l, "1000110");
      l.colourAreaEnabled = false;
      break;
    case 12:
      SetGroups(l, "1000111");
      SetLabels(l, "light_set_down_to_up_text", "light_set_up_to_down_text");
      break;
    case 16:
      SetGroups(l, "1111100");
      break;
    case 17:
      SetGroups(l, "1000110");
      l.speedShown = false;
      l.secondModeShown = true;
      l.colourAreaEnabled = false;
      break;
    case 18:
      SetGroups(l, "1000101");
      l.colourAreaEnabled = false;
      SetLabels(l, "light_set_outside_to_inside_text", "light_set_inside_to_outside_text");
      break;
    case 20:
      SetGroups(l, "1011100");
      l.customShown = true;
      l.speedShown = false;
      break;
    case 27:
      SetGroups(l, "1000110");
      break;
    case 28:
      SetGroups(l, "1000000", true);
      break;
    case 29:
      SetGroups(l, "1111101");
      l.speedShown = false;
      l.audioModeShown = true;
      l.colourPage = 1;
      break;
    case 30:
      SetGroups(l, "1000100");
      l.colourAreaEnabled = false;
      break;
    default:
      SetGroups(l, "1000000");
  }
  return l;
}

LightModeLayout Mouse(int mode) {
  LightModeLayout l;
  l.colourShown = true;
  l.rgbEnabled = true;
  l.direction = true;
  switch (mode) {
    case 0: case 4: case 6:
      SetGroups(l, "1111110", true);
      break;
    case 1:
      SetGroups(l, "1000110", true);
      l.rgbEnabled = false;
      break;
    case 2:
      SetGroups(l, "1011100", true);
      break;
    case 3:
      SetGroups(l, "1000000", true);
      l.rgbEnabled = false;
      break;
    case 5: case 20:
      SetGroups(l, "1111111");
      break;
    case 7: case 8:
      SetGroups(l, "1000110");
      break;
    default:
      SetGroups(l, "1000000");
  }
  return l;
}

// The mousepad and the headset.
LightModeLayout Strip(int mode) {
  LightModeLayout l;
  l.direction = true;
  switch (mode) {
    case 0: SetGroups(l, "1111111"); break;
    case 1: SetGroups(l, "1000110", true); break;
    case 2: case 4: SetGroups(l, "1111110", true); break;
    case 3: SetGroups(l, "1011100", true); break;
    case 8: SetGroups(l, "1000000", true); break;
    default: SetGroups(l, "1000000");
  }
  return l;
}

LightModeLayout Hub(int mode) {
  LightModeLayout l;
  switch (mode) {
    case 0: case 2: case 3: SetGroups(l, "111111"); break;
    case 1: SetGroups(l, "101110"); break;
    case 4: SetGroups(l, "100011"); break;
    default: SetGroups(l, "100000");
  }
  return l;
}

}  // namespace

LightModeLayout LightModeLayoutOf(uint16_t kind, int mode) {
  switch (FoldKind(kind)) {
    case kKindKeyboard: return Keyboard(mode);
    case kKindMouse: return Mouse(mode);
    case kKindMousePad: case kKindHeadsetIcons: case kKindHeadset: return Strip(mode);
    case kKindHub: return Hub(mode);
    default: return {};
  }
}

}  // namespace orlo
