#pragma once
// The two companion interfaces of a device (wired and receiver): each, when open, has a
// listener thread that reads the events the device sends on its own and hands the first usage
// of each report to the driver. Opening a kind that is open reopens it; closing cancels the
// listener's pending read, so a stop never waits for the device.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "device/link/DeviceLink.h"
#include "device/model/WorkerThread.h"

namespace orlo {

class CCompanionListeners {
 public:
  // Reads the companion channel's input reports until stop is set and hands each one's event
  // code to onUsage (an empty usage list is code 0).
  static void ReadUsages(CHidChannel& channel, const CStopEvent& stop,
                         const std::function<void(uint16_t)>& onUsage);
  // usage: the first usage (or value) of the report's first input item; wired: which channel.
  using Handler = std::function<void(uint16_t usage, bool wired)>;

  CCompanionListeners(CDeviceLink& companion, int wiredKind, int receiverKind, Handler handler,
                      const char* exitTrace);
  ~CCompanionListeners();
  CCompanionListeners(const CCompanionListeners&) = delete;
  CCompanionListeners& operator=(const CCompanionListeners&) = delete;

  // Opens (or reopens) the channel of `kind` at `path` and starts its listener. 1, or 0 when
  // the channel does not open or the kind is neither of the two.
  int Open(const std::string& path, int kind);
  void Close(int kind);
  bool IsOpen(int kind) const;

 private:
  struct Side {
    std::mutex lock;  // opening of the channel
    std::atomic<bool> open{false};
    CWorkerThread listener;
  };
  bool Known(int kind) const { return kind == wiredKind_ || kind == receiverKind_; }
  Side& SideOf(int kind) { return kind == receiverKind_ ? receiver_ : wired_; }
  CHidChannel& ChannelOf(int kind);
  void Loop(const CStopEvent& stop, bool wired);

  CDeviceLink& companion_;
  int wiredKind_, receiverKind_;
  Handler handler_;
  const char* exitTrace_;
  Side wired_, receiver_;
};

}  // namespace orlo
