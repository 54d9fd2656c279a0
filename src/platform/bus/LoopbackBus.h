#pragma once
// In-process message bus for tests: endpoints attached to one hub reach each other directly and
// synchronously, with the same rules as the session bus (registered names only, size limit).
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/bus/MessageBus.h"

namespace orlo::bus {

class LoopbackEndpoint;

class LoopbackHub : public std::enable_shared_from_this<LoopbackHub> {
 public:
  std::unique_ptr<LoopbackEndpoint> Connect();

 private:
  friend class LoopbackEndpoint;
  void Detach(LoopbackEndpoint* endpoint);
  std::vector<LoopbackEndpoint*> Endpoints();

  std::mutex mutex_;
  std::vector<LoopbackEndpoint*> endpoints_;
};

class LoopbackEndpoint : public MessageBus {
 public:
  explicit LoopbackEndpoint(std::shared_ptr<LoopbackHub> hub);
  ~LoopbackEndpoint() override;

  bool Connected() const override { return true; }
  bool Broadcast(uint32_t id, int64_t wParam, int64_t lParam) override;
  bool Publish(const std::string& title) override;
  bool PeerPresent(const std::string& title) override;
  bool SendData(const std::string& title, int64_t wParam, uint32_t kind,
                const std::vector<uint8_t>& data) override;
  void SetMessageHandler(MessageHandler handler) override { onMessage_ = std::move(handler); }
  void SetDataHandler(DataHandler handler) override { onData_ = std::move(handler); }

 private:
  LoopbackEndpoint* FindTitle(const std::string& title);
  void Deliver(const std::string& name, int64_t wParam, int64_t lParam);

  std::shared_ptr<LoopbackHub> hub_;
  std::vector<std::string> titles_;
  MessageHandler onMessage_;
  DataHandler onData_;
};

}  // namespace orlo::bus
