#pragma once
// Turns a burst of changes into one commit. Every change calls Touch, which (re)starts a short
// one-shot timer; when the timer fires, Fire commits once. Without a timer (tools, tests) Touch
// commits at once. The timer is the shell's: the debounce only asks it to (re)start.
#include <functional>
#include <mutex>

namespace orlo {

class CCommitDebounce {
 public:
  using Restart = std::function<void(int delayMs)>;
  static constexpr int kDelayMs = 150;

  explicit CCommitDebounce(std::function<void()> commit) : commit_(std::move(commit)) {}

  void SetTimer(Restart restart) {
    std::lock_guard lock(mutex_);
    restart_ = std::move(restart);
  }
  // A change to commit.
  void Touch() {
    Restart restart;
    {
      std::lock_guard lock(mutex_);
      pending_ = true;
      restart = restart_;
    }
    if (restart)
      restart(kDelayMs);
    else
      Fire();
  }
  // The timer fired: one commit for everything touched since the last one.
  void Fire() {
    {
      std::lock_guard lock(mutex_);
      if (!pending_) return;
      pending_ = false;
    }
    commit_();
  }
  bool Pending() const {
    std::lock_guard lock(mutex_);
    return pending_;
  }

 private:
  mutable std::mutex mutex_;
  std::function<void()> commit_;
  Restart restart_;
  bool pending_ = false;
};

}  // namespace orlo
