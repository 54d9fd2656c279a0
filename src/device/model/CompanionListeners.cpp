#include "device/model/CompanionListeners.h"

#include <algorithm>
#include <vector>

#include "platform/DebugLog.h"

namespace orlo {

CCompanionListeners::CCompanionListeners(CDeviceLink& companion, int wiredKind, int receiverKind,
                                         Handler handler, const char* exitTrace)
    : companion_(companion),
      wiredKind_(wiredKind),
      receiverKind_(receiverKind),
      handler_(std::move(handler)),
      exitTrace_(exitTrace) {}

CCompanionListeners::~CCompanionListeners() {
  Close(wiredKind_);
  Close(receiverKind_);
}

CHidChannel& CCompanionListeners::ChannelOf(int kind) {
  return kind == receiverKind_ ? companion_.ReceiverChannel() : companion_.WiredChannel();
}

int CCompanionListeners::Open(const std::string& path, int kind) {
  if (!Known(kind)) return 0;
  if (IsOpen(kind)) Close(kind);
  Side& side = SideOf(kind);
  CHidChannel& channel = ChannelOf(kind);
  // A listener of a former open would otherwise block for ever in a read on the new channel.
  side.listener.Stop([&channel] { channel.Close(); });
  bool opened;
  {
    std::lock_guard lock(side.lock);
    channel.Close();
    opened = channel.Open(path, true, true) == 1;
    side.open = opened;
  }
  if (!opened) return 0;
  const bool wired = kind == wiredKind_;
  side.listener.Start([this, wired](const CStopEvent& stop) { Loop(stop, wired); });
  return 1;
}

void CCompanionListeners::Close(int kind) {
  if (!Known(kind)) return;
  Side& side = SideOf(kind);
  if (!side.open) return;
  CHidChannel& channel = ChannelOf(kind);
  side.listener.Stop([&channel] { channel.Close(); });
  std::lock_guard lock(side.lock);
  side.open = false;
  channel.Close();
}

void CCompanionListeners::ReadUsages(CHidChannel& channel, const CStopEvent& stop,
                                     const std::function<void(uint16_t)>& onUsage) {
  std::vector<uint8_t> report(64);
  while (!stop.IsSet()) {
    const size_t length = std::max<size_t>(channel.Caps().inputReportByteLength, 1);
    if (report.size() < length) report.resize(length);
    uint32_t got = 0;
    if (!channel.Read(report.data(), static_cast<uint32_t>(length), &got, CHidChannel::kInfinite) || got == 0) {
      stop.WaitFor(std::chrono::milliseconds(1));
      continue;
    }
    if (channel.UnpackInput(report.data(), got) != 1) continue;
    uint16_t usage = 0;
    const auto& items = channel.InputDataItems();
    if (!items.empty()) {
      const HidDataItem& item = items.front();
      // An empty usage list means no event (usage 0).
      if (item.isButton)
        usage = item.usages.empty() ? 0 : item.usages.front();
      else
        usage = static_cast<uint16_t>(item.value);
    }
    onUsage(usage);
  }
}

bool CCompanionListeners::IsOpen(int kind) const {
  if (kind == receiverKind_) return receiver_.open.load();
  if (kind == wiredKind_) return wired_.open.load();
  return false;
}

void CCompanionListeners::Loop(const CStopEvent& stop, bool wired) {
  CHidChannel& channel = wired ? companion_.WiredChannel() : companion_.ReceiverChannel();
  ReadUsages(channel, stop, [this, wired](uint16_t usage) {
    DebugLine("接收到自动添加设备的同步信息要求  TEST");
    handler_(usage, wired);
  });
  DebugLine(exitTrace_);
}

}  // namespace orlo
