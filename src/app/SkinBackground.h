#pragma once
// The main window's side of a skin change: the background of its "root" control becomes the
// broadcast colour (no image) or image. Registers with the skin broadcaster while it lives.
#include <QPointer>
#include <QString>
#include <QWidget>

#include "app/SkinBroadcaster.h"

namespace orlo {

class CSkinBackground : public ISkinReceiver {
 public:
  explicit CSkinBackground(QWidget* root);
  ~CSkinBackground() override;
  CSkinBackground(const CSkinBackground&) = delete;
  CSkinBackground& operator=(const CSkinBackground&) = delete;

  void Receive(const SkinChangedParam& param) override;

  // What the root shows now: "#AARRGGBB" for a colour, the image file otherwise, "" before the
  // first change.
  const QString& Shown() const { return shown_; }

 private:
  QPointer<QWidget> root_;
  QString baseSheet_;
  QString shown_;
};

}  // namespace orlo
