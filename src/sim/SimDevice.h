#pragma once
// The firmware side of one simulated device on one connection (wired, or through its receiver):
// its HID interfaces with their report descriptors, the command protocol on 64-byte reports,
// companion events, configurable latency, fault injection and a log of every command received.
// Opened handles ("ports") are attached per top-level collection; each receives its own copy of
// the input reports of its collection, as hidraw gives every open file its own queue.
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/hid/HidBackend.h"
#include "sim/DescriptorWriter.h"
#include "sim/SimMemory.h"
#include "sim/SimProtocol.h"

namespace orlo::sim {

enum class Connection { Wired, Receiver };

enum class Fault {
  NoReply,        // the command is taken but never answered
  StatusFailed,   // answered with status 0xFF, not carried out
  StatusRefused,  // answered with status 0xFE, not carried out
  WrongCommand,   // carried out, but the reply's byte 3 is another command code
  StrayReply,     // a report with another command code arrives before the proper reply
  LateReply,      // carried out, but the reply is held back until the next command report comes
                  // in and then arrives ahead of that command's reply, as a reply does that
                  // comes after the host has given up waiting for it
  ShortReply,     // carried out, but the reply is cut after byte 6: no status byte, no payload
  DoubleReply,    // carried out and answered twice with the same reply
};
enum class FaultMode { Once, Always };

// One command report as the device received it.
struct CommandRecord {
  uint8_t code = 0;
  uint8_t length = 0;
  uint16_t offset = 0;
  std::vector<uint8_t> payload;  // the request's payload bytes (length of them, at most 56)
  bool checksumOk = false;
  bool answered = false;
  uint8_t status = 0;  // status byte of the reply, when answered
  std::array<uint8_t, kReportSize> raw{};
};

struct SimInterface {
  uint8_t number = 0;  // USB interface number ("&mi_NN")
  InterfaceDescriptor descriptor;
};

class SimDevice {
 public:
  // A port is one opened top-level collection.
  struct Port;

  SimDevice(std::string name, hid::HidAttributes attributes, Connection connection,
            std::shared_ptr<SimMemory> memory);
  virtual ~SimDevice();
  SimDevice(const SimDevice&) = delete;
  SimDevice& operator=(const SimDevice&) = delete;

  const std::string& Name() const { return name_; }
  hid::HidAttributes Attributes() const { return attributes_; }
  Connection GetConnection() const { return connection_; }
  const std::vector<SimInterface>& Interfaces() const { return interfaces_; }
  SimMemory& Memory() { return *memory_; }
  std::shared_ptr<SimMemory> SharedMemory() const { return memory_; }

  // Time the device takes per report, each way (0, or about 1 ms like a full-speed endpoint).
  void SetLatency(std::chrono::microseconds latency);

  // Time. The device runs on the steady clock until UseManualClock(): from then on its time
  // stands still except through AdvanceClock, a write's latency moves it on instead of sleeping,
  // and reads time out and replies become due by that time alone.
  void UseManualClock();
  void AdvanceClock(std::chrono::microseconds by);
  std::chrono::steady_clock::time_point Now() const;

  // Handshakes for tests, each bounded by `limit` (false when it passed first): until the
  // device has received `count` command reports in all, and until `count` reads in all have
  // found nothing to hand out and started waiting on its handles (each read counts once).
  bool WaitForCommands(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10));
  bool WaitForBlockedReads(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10));
  size_t BlockedReads() const;

  // A receiver whose device is asleep or out of range answers every command with byte 3 = 0xAA
  // (and the 0xAA query with byte 8 = 0). Ignored on a wired connection.
  void SetAsleep(bool asleep);
  bool Asleep() const;

  // Faults, for the next command (Once) or every command until cleared (Always).
  void InjectFault(Fault fault, FaultMode mode = FaultMode::Once);
  void ClearFaults();
  // The device answers `reports` more command reports, takes the next one and is unplugged
  // before answering it. A negative value cancels.
  void UnplugAfter(int reports);

  // Sends a consumer-control input report with this usage on the companion collection. False
  // when unplugged, or asleep behind the receiver.
  bool SendCompanionEvent(uint16_t usage);
  // Sends any input report (byte 0 = report id) on the collection that declares that id.
  bool SendInputReport(size_t interfaceIndex, const std::vector<uint8_t>& report);

  std::vector<CommandRecord> Log() const;
  void ClearLog();
  size_t CommandCount() const;
  // Output reports other than commands (LED reports and the like), byte 0 = report id.
  std::vector<std::vector<uint8_t>> OtherOutputs() const;

  // Presence. A device unplugged and plugged again has new handles; old ones stay dead.
  bool Plugged() const;
  void Plug();
  void Unplug();

  // Power state answered by command 26 at offset 0: battery percentage, charging state
  // (0 discharging, 1 charging, 2 full), byte 4 and byte 5 (phone on a charging pad).
  void SetPowerState(uint8_t percent, uint8_t charging, uint8_t byte4 = 0, uint8_t byte5 = 0);

  bool HostLightControl() const;

  // ---- used by the simulated backend ----
  // Attaches a port to a collection of an interface; null when unplugged or out of range.
  std::shared_ptr<Port> Attach(size_t interfaceIndex, size_t collectionIndex, bool read, bool write);
  void Detach(const std::shared_ptr<Port>& port);
  hid::TransferResult ReadReport(Port& port, uint8_t* buffer, size_t length, int timeoutMs);
  hid::TransferResult WriteReport(Port& port, const uint8_t* buffer, size_t length, int timeoutMs);
  void Cancel(Port& port);

 protected:
  void AddInterface(uint8_t number, InterfaceDescriptor descriptor);
  // The interface and report id of companion events; set by each device.
  void SetCompanion(size_t interfaceIndex, uint8_t reportId);
  void SetSupportsClaimLight(bool on) { supportsClaimLight_ = on; }
  // An output report that is not a command; the default keeps it in OtherOutputs().
  virtual void OnOtherOutput(size_t interfaceIndex, const std::vector<uint8_t>& report);
  // A write command's chunk has just been stored in its area (called with the device's lock
  // held: an override takes no lock of the device and calls nothing of it).
  virtual void OnChunkWritten(uint8_t /*code*/, size_t /*offset*/, const uint8_t* /*data*/, size_t /*length*/) {}

 private:
  using Clock = std::chrono::steady_clock;
  struct Pending {
    std::vector<uint8_t> report;
    Clock::time_point readyAt;
  };

  // Answers one command report; the caller holds mu_.
  void HandleCommandLocked(size_t interfaceIndex, const uint8_t* request);
  uint8_t ExecuteLocked(const uint8_t* request, uint8_t* reply);
  void QueueLocked(size_t interfaceIndex, std::vector<uint8_t> report, Clock::time_point readyAt);
  Clock::time_point NowLocked() const;
  void UnplugLocked();
  // Wakes every port's reader (an unplug, the manual clock moved).
  void WakeAllLocked();
  bool TakeFaultLocked(Fault fault);

  const std::string name_;
  const hid::HidAttributes attributes_;
  const Connection connection_;
  std::shared_ptr<SimMemory> memory_;
  std::vector<SimInterface> interfaces_;
  size_t companionInterface_ = 0;
  uint8_t companionReportId_ = 0;
  bool supportsClaimLight_ = false;

  mutable std::mutex mu_;
  // Wakes the test handshakes: a command received, a read blocking.
  std::condition_variable progressCv_;
  size_t blockedReads_ = 0;  // reads that had to wait, in all
  bool manualClock_ = false;
  Clock::time_point manualNow_{};
  // Replies held back by Fault::LateReply, with the interface they go out on.
  std::vector<std::pair<size_t, std::vector<uint8_t>>> lateReplies_;
  std::vector<std::shared_ptr<Port>> ports_;
  bool plugged_ = true;
  uint64_t generation_ = 1;
  bool asleep_ = false;
  bool hostLightControl_ = false;
  std::chrono::microseconds latency_{0};
  struct ArmedFault {
    Fault fault;
    FaultMode mode;
  };
  std::vector<ArmedFault> faults_;
  int unplugAfter_ = -1;
  std::deque<CommandRecord> log_;
  size_t commandCount_ = 0;
  std::deque<std::vector<uint8_t>> otherOutputs_;
};

}  // namespace orlo::sim
