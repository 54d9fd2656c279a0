#pragma once
// A gate for thread tests: shut until Open(); a thread waits on it to be held at a known point
// (for instance a body deaf to its stop signal) until the test lets it go.
#include <condition_variable>
#include <mutex>

namespace orlo::test {

class Gate {
 public:
  void Open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    cv_.notify_all();
  }
  void Wait() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool open_ = false;
};

}  // namespace orlo::test
