#pragma once
// The UI dispatcher on Qt: work is queued to the thread of a context object that lives on the UI
// thread, and dropped if that object is destroyed first.
#include "base/UiDispatcher.h"

class QObject;

namespace orlo {

class CQtUiDispatcher : public IUiDispatcher {
 public:
  explicit CQtUiDispatcher(QObject* context) : context_(context) {}

  void Post(std::function<void()> work) override;
  bool Send(std::function<void()> work, const CStopEvent& stop) override;

 private:
  QObject* context_;
};

}  // namespace orlo
