#pragma once
// Registered message names and their numbers. Every component of this process sees the same
// number for a name; across processes only the name travels (see MessageBus.h), so the numbers
// never leave the process. Names of the fixed table get fixed numbers from 0xC000 in table
// order; any other name gets the next free number, up to 0xFFFF.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlo::bus {

inline constexpr uint32_t kFirstRegisteredMessage = 0xC000;
inline constexpr uint32_t kLastRegisteredMessage = 0xFFFF;

// Registered strings of the program's own messages.
inline constexpr const char* kInstanceName = "Tavrin ORLO";
inline constexpr const char* kUpdateStatusName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
inline constexpr const char* kLightControlNotifyName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
inline constexpr const char* kLightControlSetName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
inline constexpr const char* kDivuRudoReportName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}";
// The last group really ends in EBE19; peers use this exact string.
inline constexpr const char* kAudioRecordName = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";

// Number for a name; the same name always gives the same number. 0 for an empty name or when
// the number range is used up. Thread-safe.
uint32_t RegisterWindowMessage(std::string_view name);
// The name behind a registered number, nullopt for a number never handed out.
std::optional<std::string> RegisteredMessageName(uint32_t id);
// The fixed table, in number order: the six program messages, the fourteen hook messages, the
// five mouse messages and the four game messages.
const std::vector<std::string>& FixedMessageTable();

// The numbers every component uses, registered once on first use.
struct RegisteredMessages {
  uint32_t instance;
  uint32_t updateStatus;
  uint32_t lightControlNotify;
  uint32_t lightControlSet;
  uint32_t divuRudoReport;
  uint32_t audioRecord;
  uint32_t hook[14];   // "WM_HOOK_KEY_SINGLEKEY_MSG" ... "WM_HOOK_KEY_MSMACROLATER_MSG"
  uint32_t mouse[5];   // "UWM_MOUSERBUTTONDOWN_USER_MSG" ... "UWM_MOUSEMOVE_USER_MSG"
  uint32_t gameStart;
  uint32_t gameEnd;
  uint32_t gameKill;
  uint32_t gameDeath;

  bool IsHook(uint32_t id) const;
  bool IsMouse(uint32_t id) const;
  bool IsGame(uint32_t id) const;
};
const RegisteredMessages& Messages();

}  // namespace orlo::bus
