#include "app/QtUiDispatcher.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>


namespace orlo {

void CQtUiDispatcher::Post(std::function<void()> work) {
  QMetaObject::invokeMethod(context_, std::move(work), Qt::QueuedConnection);
}

bool CQtUiDispatcher::Send(std::function<void()> work, const CStopEvent& stop) {
  if (QThread::currentThread() == context_->thread()) {
    work();
    return true;
  }
  struct Shared {
    std::mutex mutex;
    std::condition_variable cv;
    bool started = false;
    bool done = false;
    bool abandoned = false;
  };
  auto shared = std::make_shared<Shared>();
  QMetaObject::invokeMethod(
      context_,
      [shared, work = std::move(work)] {
        {
          std::lock_guard lock(shared->mutex);
          if (shared->abandoned) return;
          shared->started = true;
        }
        work();
        {
          std::lock_guard lock(shared->mutex);
          shared->done = true;
        }
        shared->cv.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(shared->mutex);
  for (;;) {
    if (shared->done) return true;
    // Once the UI thread has begun the work it finishes it; wait for that even when stopping.
    if (!shared->started && stop.IsSet()) {
      shared->abandoned = true;
      return false;
    }
    shared->cv.wait_for(lock, std::chrono::milliseconds(5));
  }
}

}  // namespace orlo
