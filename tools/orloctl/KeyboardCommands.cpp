// orloctl's keyboard commands: the keyboard driver run against a keyboard without the
// application.
//   read keyboard, apply keyboard, set keyboard light|rate|switch ...
#include "KeyboardCommands.h"

#include <json/json.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CtlSupport.h"
#include "DriverSession.h"
#include "KeyCommands.h"
#include "device/keyboard/TessaroKeyboardDevice.h"

namespace orloctl {
namespace {

using orlo::CTessaroKeyboardDevice;

// First contact with the keyboard: its tables read, the profile loaded, and the active settings
// read — into the profile (what `read` shows), or only kept (what `apply` needs: the document is
// written as it is stored, its lighting and switches untouched by what the keyboard shows).
struct KeyboardSession : DriverSession<CTessaroKeyboardDevice> {
  CTessaroKeyboardDevice* keyboard;

  KeyboardSession(const GlobalOptions& options, bool readIntoProfile)
      : DriverSession(options, "keyboard", "keyboard"), keyboard(driver.get()) {
    const int r = keyboard->ReadAll();
    if (r != 1) {
      const std::string why = keyboard->LastError().empty()
                                  ? std::to_string(r) + " (" + orlo::LinkResultText(r) + ")"
                                  : keyboard->LastError();
      throw CommandFailure{"keyboard: reading the keyboard failed: " + why};
    }
    keyboard->LoadProfile();
    if (keyboard->ReadActiveSettings(readIntoProfile) != 1)
      throw CommandFailure{"keyboard: reading the active settings failed"};
  }

  static void Check(int r, const char* what) {
    if (r != 1)
      throw CommandFailure{std::string("keyboard: writing ") + what + " failed: " + std::to_string(r) + " (" +
                           orlo::LinkResultText(r) + ")"};
  }
};

Json::Value State(CTessaroKeyboardDevice& keyboard) {
  Json::Value out;
  const auto& info = keyboard.deviceInfo().bytes;
  out["info"]["hex"] = HexText(info.data(), info.size());
  out["info"]["keys"] = info[5];
  out["info"]["macroArea"] = info[6] * 128;
  const auto b = keyboard.SettingsBlock();
  Json::Value& s = out["settings"];
  s["activeProfile"] = b[0];
  s["effectCode"] = b[1];
  s["brightness"] = b[2];
  s["speed"] = 4 - std::min<int>(b[3], 4);
  s["direction"] = b[4];
  s["multicolour"] = b[5];
  s["colour"] = HexText(&b[6], 3);
  s["secondMode"] = b[18];
  s["wFlag"] = b[19];
  s["key6Flag"] = b[20];
  s["winFlag"] = b[21];
  s["reportRate"] = b[22];
  s["customGroup"] = b[25];
  s["hex"] = HexText(b.data(), b.size());
  const orlo::LightInfo e = keyboard.GetLightEffect();
  out["effect"]["mode"] = e.mode;
  out["effect"]["brightness"] = e.brightness;
  out["effect"]["speed"] = e.speed;
  const auto sys = keyboard.SystemSettings();
  out["system"]["repeat"] = sys.repeat;
  out["system"]["repeatDelay"] = sys.repeatDelay;
  const auto& table = keyboard.keyTable();
  const auto& map = keyboard.PositionMap();
  for (int k = 0; k < map.KeyCount(); ++k) out["keyTable"].append(HexText(&table[3 * k], 3));
  // Key position → [physical key, LED] of the positions this keyboard has.
  Json::Value& positions = out["positions"];
  positions = Json::objectValue;
  for (int p = 0; p < CTessaroKeyboardDevice::kPositions; ++p) {
    if (map.SlotOf(p) == orlo::keyboard::CKeyPositionMap::kNone) continue;
    Json::Value pair;
    pair.append(map.SlotOf(p));
    pair.append(map.LedOf(p) == orlo::keyboard::CKeyPositionMap::kNone ? Json::Value() : Json::Value(map.LedOf(p)));
    positions[std::to_string(p)] = pair;
  }
  out["profile"] = keyboard.GetProfileName();
  return out;
}

}  // namespace

int RunKeyboardRead(const GlobalOptions& options, const std::vector<std::string>&) {
  return Guarded([&] {
    KeyboardSession s(options, true);
    PrintJson(State(*s.keyboard));
    return 0;
  });
}

int RunKeyboardApply(const GlobalOptions& options, const std::vector<std::string>&) {
  return Guarded([&] {
    KeyboardSession s(options, false);
    // The macros and the key table first: when the macros do not fit, nothing is written.
    CheckKeyDownload(s.keyboard->DownloadKeyAssignments(), "keyboard");
    KeyboardSession::Check(s.keyboard->ApplySettings(0, 0, 0, 0, 0), "the settings");
    KeyboardSession::Check(s.keyboard->WriteLightGroups(), "the colour groups");
    std::printf("applied %s\n", s.keyboard->GetProfileName().c_str());
    return 0;
  });
}

int RunKeyboardSet(const GlobalOptions& options, const std::vector<std::string>& args) {
  static const char* kUsage =
      "usage: set keyboard light MODE [LEVEL SPEED DIR R G B] | rate N | switch win|key6|w on|off | key POS ASSIGNMENT";
  if (args.size() < 4) throw UsageError{kUsage};
  const std::string& what = args[2];
  if (what == "key") {
    const KeyArgs key = ParseKeyArgs(args, CTessaroKeyboardDevice::kPositions);
    return Guarded([&] {
      KeyboardSession s(options, false);
      std::string refusal;
      if (key.position == CTessaroKeyboardDevice::kFnPosition) {
        refusal = "the Fn key (position " + args[3] + ") keeps its function";
      } else {
        auto lock = s.keyboard->ModelLock();
        if (s.keyboard->PositionMap().SlotOf(key.position) == orlo::keyboard::CKeyPositionMap::kNone)
          refusal = "this keyboard has no key at position " + args[3];
      }
      return SetKey(*s.keyboard, "keyboard", key, refusal);
    });
  }
  // Check the arguments before anything is read or written.
  if (what == "light") {
    if (args.size() != 4 && args.size() != 10) throw UsageError{"usage: set keyboard light MODE [LEVEL SPEED DIR R G B]"};
    LightFromArgs({}, args);
  } else if (what == "rate") {
    if (args.size() != 4) throw UsageError{"usage: set keyboard rate N"};
    ParseInRange(args[3], 0, 3, "N");
  } else if (what == "switch") {
    if (args.size() != 5 || (args[3] != "win" && args[3] != "key6" && args[3] != "w") ||
        (args[4] != "on" && args[4] != "off"))
      throw UsageError{"usage: set keyboard switch win|key6|w on|off"};
  } else {
    throw UsageError{"set keyboard: unknown setting '" + what + "' (light, rate, switch, key)"};
  }
  return Guarded([&] {
    KeyboardSession s(options, true);
    CTessaroKeyboardDevice& k = *s.keyboard;
    if (what == "light") {
      k.SetLightEffect(LightFromArgs(k.GetLightEffect(), args));
    } else {
      auto sys = k.SystemSettings();
      if (what == "rate") {
        sys.pollingRate = static_cast<uint16_t>(ParseInRange(args[3], 0, 3, "N"));
      } else {
        const uint16_t on = args[4] == "on" ? 1 : 0;
        (args[3] == "win" ? sys.winFlag : args[3] == "key6" ? sys.key6Flag : sys.wFlag) = on;
      }
      k.SetSystemSettings(sys);
    }
    k.NotifyProfileChanged();
    KeyboardSession::Check(k.ApplySettings(0, 0, 0, 0, 0), "the settings");
    PrintJson(State(k));
    return 0;
  });
}

}  // namespace orloctl
