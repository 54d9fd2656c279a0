#pragma once
// The process-wide broadcaster of skin changes: the skin popup announces the new background of
// the main window (a colour or an image) and every registered receiver takes it, in the order
// they registered.
#include <cstdint>
#include <map>
#include <string>

namespace orlo {

struct SkinChangedParam {
  bool isColour = false;
  uint32_t colour = 0;  // ARGB, when isColour
  std::string image;    // an image of the skin folder (relative) or a file (absolute), otherwise
};

class ISkinReceiver {
 public:
  virtual ~ISkinReceiver() = default;
  virtual void Receive(const SkinChangedParam& param) = 0;
};

class CSkinBroadcaster {
 public:
  static CSkinBroadcaster& GetInstance();

  // Stored under the next running key; returns it.
  int AddReceiver(ISkinReceiver* receiver);
  // Every entry holding receiver goes.
  void RemoveReceiver(ISkinReceiver* receiver);
  void Broadcast(const SkinChangedParam& param) const;
  size_t Count() const { return receivers_.size(); }

 private:
  CSkinBroadcaster() = default;
  std::map<int, ISkinReceiver*> receivers_;
  int nextKey_ = 0;
};

}  // namespace orlo
