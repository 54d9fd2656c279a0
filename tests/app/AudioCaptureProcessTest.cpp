// Starting and stopping the audio-capture program with music lighting (a stand-in program here;
// the real one is run in the capture program's own bus tests).
#include <gtest/gtest.h>

#include <signal.h>

#include <cerrno>

#include "app/AudioCaptureProcess.h"

namespace orlo {
namespace {

bool ProcessGone(qint64 pid) { return ::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH; }

TEST(AudioCaptureProcessTest, RunsOnceWhileMusicLightingIsOnAndEndsWithIt) {
  CAudioCaptureProcess capture(QStringLiteral("/bin/sh"), {"-c", "exec sleep 30"});
  EXPECT_FALSE(capture.Running());
  EXPECT_EQ(capture.ProcessId(), 0);

  ASSERT_TRUE(capture.SetMusicLighting(true));
  ASSERT_TRUE(capture.Running());
  const qint64 pid = capture.ProcessId();
  EXPECT_GT(pid, 0);
  // Switching on again keeps the one program.
  ASSERT_TRUE(capture.SetMusicLighting(true));
  EXPECT_EQ(capture.ProcessId(), pid);

  EXPECT_TRUE(capture.SetMusicLighting(false));
  EXPECT_FALSE(capture.Running());
  EXPECT_TRUE(ProcessGone(pid));
  EXPECT_TRUE(capture.SetMusicLighting(false));  // already off

  // On again after off: a new program, which goes with the launcher (the window's shutdown).
  qint64 second = 0;
  {
    CAudioCaptureProcess again(QStringLiteral("/bin/sh"), {"-c", "exec sleep 30"});
    ASSERT_TRUE(capture.SetMusicLighting(true));
    EXPECT_NE(capture.ProcessId(), pid);
    ASSERT_TRUE(again.SetMusicLighting(true));
    second = again.ProcessId();
  }
  EXPECT_TRUE(ProcessGone(second));
}

TEST(AudioCaptureProcessTest, AMissingProgramIsReportedAndNothingRuns) {
  CAudioCaptureProcess capture(QStringLiteral("/nonexistent/orlo-audio"));
  EXPECT_FALSE(capture.SetMusicLighting(true));
  EXPECT_FALSE(capture.Running());
  EXPECT_TRUE(capture.SetMusicLighting(false));
}

}  // namespace
}  // namespace orlo
