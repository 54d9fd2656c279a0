#include "platform/bus/RegisteredMessages.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace orlo::bus {

namespace {

struct Registry {
  std::mutex mutex;
  std::map<std::string, uint32_t, std::less<>> byName;
  std::vector<std::string> byNumber;  // index = id - kFirstRegisteredMessage

  Registry() {
    for (const auto& name : FixedMessageTable()) Add(name);
  }
  uint32_t Add(std::string_view name) {
    auto it = byName.find(name);
    if (it != byName.end()) return it->second;
    if (byNumber.size() > kLastRegisteredMessage - kFirstRegisteredMessage) return 0;
    uint32_t id = kFirstRegisteredMessage + static_cast<uint32_t>(byNumber.size());
    byNumber.emplace_back(name);
    byName.emplace(std::string(name), id);
    return id;
  }
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

const std::vector<std::string>& FixedMessageTable() {
  static const std::vector<std::string> table = {
      kInstanceName, kUpdateStatusName, kLightControlNotifyName, kLightControlSetName,
      kDivuRudoReportName, kAudioRecordName,
      "WM_HOOK_KEY_SINGLEKEY_MSG", "WM_HOOK_KEY_HITKEY_MSG", "WM_HOOK_KEY_KBMACRO_MSG",
      "WM_HOOK_KEY_MSMACRO_MSG", "WM_HOOK_KEY_KBMACROSINGLE_MSG",
      "WM_HOOK_KEY_KBMACROPREVIOUS_MSG", "WM_HOOK_KEY_KBMACROLATER_MSG",
      "WM_HOOK_MOU_SINGLEKEY_MSG", "WM_HOOK_MOU_HITKEY_MSG", "WM_HOOK_MOU_KBMACRO_MSG",
      "WM_HOOK_MOU_MSMACRO_MSG", "WM_HOOK_KEY_MSMACROSINGLE_MSG",
      "WM_HOOK_KEY_MSMACROPREVIOUS_MSG", "WM_HOOK_KEY_MSMACROLATER_MSG",
      "UWM_MOUSERBUTTONDOWN_USER_MSG", "UWM_MOUSELBUTTONUP_USER_MSG",
      "UWM_MOUSELBUTTONDOWN_USER_MSG", "UWM_MOUSERBUTTONUP_USER_MSG", "UWM_MOUSEMOVE_USER_MSG",
      "Game_Start", "Game_End", "Game_Kill", "Game_Death"};
  return table;
}

uint32_t RegisterWindowMessage(std::string_view name) {
  if (name.empty()) return 0;
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  return r.Add(name);
}

std::optional<std::string> RegisteredMessageName(uint32_t id) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  if (id < kFirstRegisteredMessage) return std::nullopt;
  size_t index = id - kFirstRegisteredMessage;
  if (index >= r.byNumber.size()) return std::nullopt;
  return r.byNumber[index];
}

bool RegisteredMessages::IsHook(uint32_t id) const {
  return std::find(std::begin(hook), std::end(hook), id) != std::end(hook);
}
bool RegisteredMessages::IsMouse(uint32_t id) const {
  return std::find(std::begin(mouse), std::end(mouse), id) != std::end(mouse);
}
bool RegisteredMessages::IsGame(uint32_t id) const {
  return id == gameStart || id == gameEnd || id == gameKill || id == gameDeath;
}

const RegisteredMessages& Messages() {
  static const RegisteredMessages messages = [] {
    const auto& t = FixedMessageTable();
    RegisteredMessages m{};
    size_t i = 0;
    auto next = [&] { return RegisterWindowMessage(t[i++]); };
    m.instance = next();
    m.updateStatus = next();
    m.lightControlNotify = next();
    m.lightControlSet = next();
    m.divuRudoReport = next();
    m.audioRecord = next();
    for (auto& h : m.hook) h = next();
    for (auto& h : m.mouse) h = next();
    m.gameStart = next();
    m.gameEnd = next();
    m.gameKill = next();
    m.gameDeath = next();
    return m;
  }();
  return messages;
}

}  // namespace orlo::bus
