// orloctl's driver commands: the mouse driver run against a device without the application.
//   read DEVICE, apply DEVICE, set mouse ..., event DEVICE USAGE (the keyboard's: KeyboardCommands.cpp)
#include <json/json.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "CtlSupport.h"
#include "DriverVerbs.h"
#include "DriverSession.h"
#include "KeyCommands.h"
#include "KeyboardCommands.h"
#include "base/DeviceKinds.h"
#include "device/link/Catalogue.h"
#include "device/mouse/TessaroMouseDevice.h"
#include "platform/Paths.h"
#include "sim/SimBackend.h"

namespace orloctl {
namespace {

using orlo::CTessaroMouseDevice;

using Failure = CommandFailure;

// The mouse commands take a mouse word (the keyboard has its own, KeyboardCommands.cpp).
void CheckMouse(const std::string& device) {
  if (device != "mouse")
    throw UsageError{"the driver commands take the mouse or the keyboard ('" + device + "' is neither)"};
}

long Number(const std::string& text, long low, long high, const char* what) {
  return ParseInRange(text, low, high, what);
}

// A mouse driver on the present mouse (wired preferred), its profile the selected one of the
// profile list, with first contact done: light catalogues and device read, profile loaded, and
// the active settings read — into the profile (what `read` shows), or only as the block whose
// unlisted bytes a write keeps (what `apply` needs: the document is written as it is stored).
struct Session : DriverSession<CTessaroMouseDevice> {
  CTessaroMouseDevice* mouse;

  Session(const GlobalOptions& options, const std::string& device, bool readIntoProfile = true)
      : DriverSession(options, device, "mouse"), mouse(driver.get()) {
    int r = mouse->ReadAll();
    if (r != 1) throw Failure{"mouse: reading the device failed: " + std::to_string(r) + " (" + orlo::LinkResultText(r) + ")"};
    mouse->LoadProfile();
    if (mouse->ReadActiveSettings(readIntoProfile) != 1) throw Failure{"mouse: reading the active settings failed"};
  }

  // Stores the profile and writes the block, as a page change does.
  int Write() {
    mouse->NotifyProfileChanged();
    CheckWrite(mouse->ApplySettings(0, 0, 1, 0, 0));
    return 0;
  }
  static void CheckWrite(int r) {
    if (r != 1) throw Failure{"mouse: writing the settings failed: " + std::to_string(r) + " (" + orlo::LinkResultText(r) + ")"};
  }
};

Json::Value Hex(const uint8_t* data, size_t length) { return HexText(data, length); }

int Le16(const uint8_t* at) { return at[0] | at[1] << 8; }

Json::Value State(CTessaroMouseDevice& mouse) {
  Json::Value out;
  const auto& info = mouse.deviceInfo().bytes;
  Json::Value& i = out["info"];
  i["hex"] = Hex(info.data(), info.size());
  i["keyEntries"] = info[5];
  i["macroArea"] = info[6] * 128;
  i["sensor"] = Le16(&info[9]);
  i["resolutionStep"] = info[11];
  i["minimumResolution"] = Le16(&info[14]);
  out["activeProfile"] = mouse.ActiveProfileNumber();

  const auto b = mouse.SettingsBlock();
  Json::Value& s = out["settings"];
  s["profileByte"] = b[0];
  s["modeCode"] = b[1];
  s["modeIndex"] = mouse.ModeIndexOfCode(b[1]);
  s["brightness"] = b[2];
  s["speed"] = 4 - std::min<int>(b[3], 4);
  s["direction"] = b[4];
  s["multicolour"] = b[5];
  s["colour"] = Hex(&b[6], 3);
  s["wiredReportRate"] = b[11];
  s["activeStage"] = b[12];
  for (int st = 0; st < CTessaroMouseDevice::kStageCount; ++st) {
    const uint8_t* at = &b[14 + 9 * st];
    Json::Value stage;
    stage["enabled"] = at[0];
    stage["separateXY"] = at[1];
    stage["x"] = Le16(at + 2);
    stage["y"] = Le16(at + 4);
    stage["colour"] = Hex(at + 6, 3);
    s["stages"].append(stage);
  }
  s["byte59"] = b[59];
  s["screenWidth"] = Le16(&b[60]);
  s["screenHeight"] = Le16(&b[62]);
  s["correctMinSq"] = b[64];
  s["correctPixThresh"] = b[65];
  s["receiverReportRate"] = b[77];
  s["hex"] = Hex(b.data(), b.size());

  const auto& table = mouse.keyTable();
  for (int k = 0; k < info[5] && k < 170; ++k) out["keyTable"].append(Hex(&table[3 * k], 3));
  for (int j = 0; j < CTessaroMouseDevice::kPageButtons; ++j) {
    const int e = mouse.KeyMap()[j];
    out["keyMap"].append(e == CTessaroMouseDevice::kNoKey ? Json::Value() : Json::Value(e));
  }
  out["profile"] = mouse.GetProfileName();
  return out;
}

void Print(const Json::Value& v) { PrintJson(v); }

int RunRead(const GlobalOptions& options, const std::vector<std::string>& args) {
  if (args.size() >= 2)
    if (const auto* other = DriverVerb::Find(args[0], args[1])) return (*other)(options, args);
  if (args.size() != 2) throw UsageError{"usage: read DEVICE"};
  if (IsKeyboard(args[1])) return RunKeyboardRead(options, args);
  CheckMouse(args[1]);
  return Guarded([&] {
    Session s(options, args[1]);
    Print(State(*s.mouse));
    return 0;
  });
}

int RunApply(const GlobalOptions& options, const std::vector<std::string>& args) {
  if (args.size() >= 2)
    if (const auto* other = DriverVerb::Find(args[0], args[1])) return (*other)(options, args);
  if (args.size() != 2) throw UsageError{"usage: apply DEVICE"};
  if (IsKeyboard(args[1])) return RunKeyboardApply(options, args);
  CheckMouse(args[1]);
  return Guarded([&] {
    Session s(options, args[1], false);
    // The macros and the key table first: when the macros do not fit, nothing is written.
    CheckKeyDownload(s.mouse->DownloadKeyAssignments(), "mouse");
    Session::CheckWrite(s.mouse->ApplySettings(0, 0, 1, 0, 0));
    std::printf("applied %s\n", s.mouse->GetProfileName().c_str());
    return 0;
  });
}

int RunSet(const GlobalOptions& options, const std::vector<std::string>& args) {
  if (args.size() >= 2 && args[1] == "keyboard") return RunKeyboardSet(options, args);
  if (args.size() >= 2)
    if (const auto* other = DriverVerb::Find(args[0], args[1])) return (*other)(options, args);
  if (args.size() < 4 || args[1] != "mouse")
    throw UsageError{"usage: set mouse dpi STAGE X [Y] | stage N | rate N | light MODE [LEVEL SPEED DIR R G B] | key POS ASSIGNMENT"};
  const std::string& what = args[2];
  if (what == "key") {
    const KeyArgs key = ParseKeyArgs(args, CTessaroMouseDevice::kPageButtons);
    return Guarded([&] {
      Session s(options, "mouse", false);
      const bool present = s.mouse->KeyMap()[static_cast<size_t>(key.position)] != CTessaroMouseDevice::kNoKey;
      return SetKey(*s.mouse, "mouse", key, present ? "" : "this mouse has no button " + args[3]);
    });
  }
  // Check the arguments before anything is read or written.
  if (what == "dpi") {
    if (args.size() != 5 && args.size() != 6) throw UsageError{"usage: set mouse dpi STAGE X [Y]"};
    Number(args[3], 0, 4, "STAGE");
    Number(args[4], 1, 65535, "X");
    if (args.size() == 6) Number(args[5], 1, 65535, "Y");
  } else if (what == "stage" || what == "rate") {
    if (args.size() != 4) throw UsageError{"usage: set mouse " + what + " N"};
    Number(args[3], 0, 4, "N");
  } else if (what == "light") {
    if (args.size() != 4 && args.size() != 10) throw UsageError{"usage: set mouse light MODE [LEVEL SPEED DIR R G B]"};
    Number(args[3], 0, 255, "MODE");
  } else {
    throw UsageError{"set mouse: unknown setting '" + what + "' (dpi, stage, rate, light, key)"};
  }
  return Guarded([&] {
    Session s(options, "mouse");
    auto& profile = s.mouse->Profile();
    if (what == "dpi") {
      const int stage = static_cast<int>(Number(args[3], 0, 4, "STAGE"));
      auto stages = profile.GetDPIStages();
      if (stage >= static_cast<int>(stages.size())) throw Failure{"the profile has no stage " + args[3]};
      const auto x = static_cast<uint16_t>(Number(args[4], 1, 65535, "X"));
      const auto y = args.size() == 6 ? static_cast<uint16_t>(Number(args[5], 1, 65535, "Y")) : x;
      stages[stage].dpiX = x;
      stages[stage].dpiY = y;
      stages[stage].xy = x != y;
      profile.SetDPIStages(stages);
    } else if (what == "stage") {
      profile.SetActiveDPIStage(static_cast<int>(Number(args[3], 0, 4, "N")));
    } else if (what == "rate") {
      const auto w = profile.GetSystemStages();
      auto system = orlo::MouseSystemStages::Unpack(w[0], w[1], w[2], w[3]);
      (s.receiver ? system.reportRate24g : system.reportRate) = static_cast<uint16_t>(Number(args[3], 0, 4, "N"));
      const auto p = system.Pack();
      profile.SetSystemStages(p[0], p[1], p[2], p[3]);
    } else {
      s.mouse->SetLightEffect(LightFromArgs(s.mouse->GetLightEffect(), args));
    }
    return s.Write();
  });
}

int RunEvent(const GlobalOptions& options, const std::vector<std::string>& args) {
  if (args.size() != 3) throw UsageError{"usage: event DEVICE USAGE"};
  CheckMouse(args[1]);
  if (options.simulate.empty()) throw UsageError{"event needs --simulate (it stands in for the mouse's own buttons)"};
  const auto usage = static_cast<uint16_t>(Number(args[2], 0, 0xFFFF, "USAGE"));
  return Guarded([&] {
    Session s(options, args[1]);
    auto sim = std::dynamic_pointer_cast<orlo::sim::SimBackend>(s.backend);
    std::shared_ptr<orlo::sim::SimDevice> device;
    for (const auto& node : sim ? sim->Nodes() : std::vector<std::string>{})
      if (s.companionPath.find("sim:" + node + "#") == 0) device = sim->Device(node);
    if (!device || s.companionPath.empty()) throw Failure{"mouse: no simulated companion interface"};
    const int kind = s.receiver ? CTessaroMouseDevice::kCompanionReceiver : CTessaroMouseDevice::kCompanionWired;
    if (!s.mouse->OpenCompanion(s.companionPath, kind)) throw Failure{"mouse: cannot open " + s.companionPath};
    const auto before = s.observer.Log().size();
    if (!device->SendCompanionEvent(usage)) throw Failure{"mouse: the event could not be sent"};
    // The listener reports what the event asks, or hands the work to the driver's worker.
    s.observer.WaitForMore(before, std::chrono::milliseconds(500));
    s.mouse->CloseCompanion(kind);
    s.mouse->Session().Drain(std::chrono::seconds(10));
    const auto log = s.observer.Log();
    for (size_t i = before; i < log.size(); ++i)
      if (log[i].rfind("OnReloadRequested", 0) == 0) s.mouse->ReloadFromDevice();
    Json::Value out = State(*s.mouse);
    Json::Value handled;
    for (size_t i = before; i < log.size(); ++i) handled.append(log[i]);
    out["handled"] = handled;
    out["activeStageInProfile"] = s.mouse->Profile().GetActiveDPIStage();
    Print(out);
    return 0;
  });
}

const CtlCommand kRead{{"read", "Driver",
                        "  orloctl read DEVICE              — first contact with the mouse or keyboard; its state as JSON",
                        RunRead}};
const CtlCommand kApply{{"apply", "Driver",
                         "  orloctl apply DEVICE             — write the selected profile to the mouse or keyboard: the\n"
                         "                                   macros its keys use, the key table and the settings\n"
                         "                                   (nothing when the macros do not fit; exit 1)",
                         RunApply}};
const CtlCommand kSet{{"set", "Driver",
                       "  orloctl set mouse dpi STAGE X [Y] — store in the selected profile, then write\n"
                       "  orloctl set mouse stage N | rate N | light MODE [LEVEL SPEED DIR R G B]\n"
                       "  orloctl set keyboard light MODE [LEVEL SPEED DIR R G B] | rate N (0-3)\n"
                       "  orloctl set keyboard switch win|key6|w on|off\n"
                       "  orloctl set mouse|keyboard key POS ASSIGNMENT — give button or key position POS a\n"
                       "                                   function (a key such as A or F5, mouse_key_left,\n"
                       "                                   mouse_key_DPI_add, media_play, system_sleep, Ctrl+C,\n"
                       "                                   macro:NAME or default) and write the key table and\n"
                       "                                   the macros it uses",
                       RunSet}};
const CtlCommand kEvent{{"event", "Driver",
                         "  orloctl event DEVICE USAGE       — a simulated companion event (0x401, 0x10nn, 0x11nn ...)",
                         RunEvent}};

}  // namespace
}  // namespace orloctl
