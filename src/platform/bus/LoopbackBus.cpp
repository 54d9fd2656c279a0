#include "platform/bus/LoopbackBus.h"

#include <algorithm>

#include "platform/bus/RegisteredMessages.h"

namespace orlo::bus {

std::unique_ptr<LoopbackEndpoint> LoopbackHub::Connect() {
  auto endpoint = std::make_unique<LoopbackEndpoint>(shared_from_this());
  std::lock_guard lock(mutex_);
  endpoints_.push_back(endpoint.get());
  return endpoint;
}

void LoopbackHub::Detach(LoopbackEndpoint* endpoint) {
  std::lock_guard lock(mutex_);
  endpoints_.erase(std::remove(endpoints_.begin(), endpoints_.end(), endpoint), endpoints_.end());
}

std::vector<LoopbackEndpoint*> LoopbackHub::Endpoints() {
  std::lock_guard lock(mutex_);
  return endpoints_;
}

LoopbackEndpoint::LoopbackEndpoint(std::shared_ptr<LoopbackHub> hub) : hub_(std::move(hub)) {}

LoopbackEndpoint::~LoopbackEndpoint() { hub_->Detach(this); }

bool LoopbackEndpoint::Broadcast(uint32_t id, int64_t wParam, int64_t lParam) {
  auto name = RegisteredMessageName(id);
  if (!name) return false;
  // Only the name crosses, as on the session bus.
  for (LoopbackEndpoint* e : hub_->Endpoints()) {
    if (e != this) e->Deliver(*name, wParam, lParam);
  }
  return true;
}

void LoopbackEndpoint::Deliver(const std::string& name, int64_t wParam, int64_t lParam) {
  uint32_t id = RegisterWindowMessage(name);
  if (id != 0 && onMessage_) onMessage_(id, wParam, lParam);
}

bool LoopbackEndpoint::Publish(const std::string& title) {
  if (title.empty()) return false;
  if (FindTitle(title)) return FindTitle(title) == this;
  titles_.push_back(title);
  return true;
}

LoopbackEndpoint* LoopbackEndpoint::FindTitle(const std::string& title) {
  for (LoopbackEndpoint* e : hub_->Endpoints()) {
    if (std::find(e->titles_.begin(), e->titles_.end(), title) != e->titles_.end()) return e;
  }
  return nullptr;
}

bool LoopbackEndpoint::PeerPresent(const std::string& title) { return FindTitle(title) != nullptr; }

bool LoopbackEndpoint::SendData(const std::string& title, int64_t wParam, uint32_t kind,
                                const std::vector<uint8_t>& data) {
  if (data.size() > kMaxDataBlock) return false;
  LoopbackEndpoint* peer = FindTitle(title);
  if (!peer) return false;
  if (peer->onData_) peer->onData_(wParam, kind, data);
  return true;
}

}  // namespace orlo::bus
