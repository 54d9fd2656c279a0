#include "app/AudioCaptureProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "platform/DebugLog.h"

namespace orlo {

namespace {
constexpr int kWaitMs = 1000;
}

QString CAudioCaptureProcess::DefaultProgram() {
  const QString beside = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("orlo-audio");
  return QFileInfo(beside).isExecutable() ? beside : QStringLiteral("orlo-audio");
}

CAudioCaptureProcess::CAudioCaptureProcess(QString program, QStringList arguments)
    : program_(std::move(program)), arguments_(std::move(arguments)) {}

CAudioCaptureProcess::~CAudioCaptureProcess() { Stop(); }

bool CAudioCaptureProcess::Running() const {
  return process_ && process_->state() != QProcess::NotRunning;
}

bool CAudioCaptureProcess::SetMusicLighting(bool on) {
  if (!on) {
    Stop();
    return true;
  }
  if (Running()) return true;
  process_ = std::make_unique<QProcess>();
  // Its one-line complaints (no sound server, no bus) belong in our own error output.
  process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_->setStandardOutputFile(QProcess::nullDevice());
  process_->start(program_, arguments_);
  if (!process_->waitForStarted(kWaitMs)) {
    DebugPrintf("audio capture: %s could not be started", program_.toLocal8Bit().constData());
    process_.reset();
    return false;
  }
  return true;
}

void CAudioCaptureProcess::Stop() {
  if (!process_) return;
  if (process_->state() != QProcess::NotRunning) {
    process_->terminate();
    if (!process_->waitForFinished(kWaitMs)) {
      DebugLine("audio capture: no end after SIGTERM, killed");
      process_->kill();
      process_->waitForFinished(kWaitMs);
    }
  }
  process_.reset();
}

}  // namespace orlo
