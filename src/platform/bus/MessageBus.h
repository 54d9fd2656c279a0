#pragma once
// Messages between this program and others. A message is a registered name with two integers
// (the receiver maps the name back to its own number); a data block is a kind number and bytes
// sent to one named peer. Peers are known by a title ("DivuRudo", "Tavrin ORLO"), the way
// windows are found by their title. Backends: the desktop session bus and an in-process
// loopback for tests. Handlers run on the thread that owns the bus (the UI thread).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orlo::bus {

// Largest data block accepted from another program; bigger ones are dropped by the backend
// before any handler sees them.
inline constexpr size_t kMaxDataBlock = 64 * 1024;

// The main window's title, and the title of the audio-capture program that feeds music lighting.
inline constexpr const char* kMainWindowTitle = "Tavrin ORLO";
inline constexpr const char* kAudioCaptureTitle = "Tavrin ORLOAUDIORECORD";

class MessageBus {
 public:
  using MessageHandler = std::function<void(uint32_t id, int64_t wParam, int64_t lParam)>;
  using DataHandler = std::function<void(int64_t wParam, uint32_t kind, const std::vector<uint8_t>& data)>;

  virtual ~MessageBus() = default;

  // False when the backend has no bus to talk to; every send then returns false.
  virtual bool Connected() const = 0;
  // Posts a registered message to every program on the bus (not to this endpoint itself).
  // False when the number is not a registered one or nothing could be sent.
  virtual bool Broadcast(uint32_t id, int64_t wParam, int64_t lParam) = 0;
  // Makes this endpoint reachable under a title, so that data blocks can be sent to it.
  virtual bool Publish(const std::string& title) = 0;
  // True when some endpoint has published the title.
  virtual bool PeerPresent(const std::string& title) = 0;
  // Sends a data block to the endpoint published under the title; false when there is none or
  // the block is larger than kMaxDataBlock.
  virtual bool SendData(const std::string& title, int64_t wParam, uint32_t kind,
                        const std::vector<uint8_t>& data) = 0;
  // As SendData, without asking first whether the title is held: for a steady stream of blocks
  // whose sender checks PeerPresent now and then. A block to a title nobody holds is lost, and
  // the backend may still answer true for it.
  virtual bool PostData(const std::string& title, int64_t wParam, uint32_t kind,
                        const std::vector<uint8_t>& data) {
    return SendData(title, wParam, kind, data);
  }

  // Answers a question another program asks this endpoint (`orloctl status`): a short text,
  // made on the thread that owns the bus. Backends without questions ignore it.
  virtual void SetStatusHandler(std::function<std::string()> handler) { (void)handler; }

  virtual void SetMessageHandler(MessageHandler handler) = 0;
  virtual void SetDataHandler(DataHandler handler) = 0;
};

// The session-bus backend, or an unconnected one when there is no session bus.
std::unique_ptr<MessageBus> OpenSessionBus();

}  // namespace orlo::bus
