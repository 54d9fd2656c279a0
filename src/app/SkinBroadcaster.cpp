#include "app/SkinBroadcaster.h"

#include <algorithm>
#include <vector>

namespace orlo {

CSkinBroadcaster& CSkinBroadcaster::GetInstance() {
  static CSkinBroadcaster instance;
  return instance;
}

int CSkinBroadcaster::AddReceiver(ISkinReceiver* receiver) {
  const int key = nextKey_++;
  receivers_[key] = receiver;
  return key;
}

void CSkinBroadcaster::RemoveReceiver(ISkinReceiver* receiver) {
  std::erase_if(receivers_, [receiver](const auto& entry) { return entry.second == receiver; });
}

void CSkinBroadcaster::Broadcast(const SkinChangedParam& param) const {
  // A receiver may unregister while it receives: go over a copy.
  std::vector<ISkinReceiver*> targets;
  for (const auto& [key, receiver] : receivers_) targets.push_back(receiver);
  for (ISkinReceiver* receiver : targets) {
    const bool stillThere = std::any_of(receivers_.begin(), receivers_.end(),
                                        [receiver](const auto& entry) { return entry.second == receiver; });
    if (stillThere) receiver->Receive(param);
  }
}

}  // namespace orlo
