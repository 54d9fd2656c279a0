// The mouse page leaves its light buttons alone while nothing of it is on screen, and brings
// them up to date as soon as it is shown again.
#include <QTest>
#include <chrono>

#include "pages/mouse/MousePageRig.h"
#include "ui/DeviceKeyButtonUI.h"

namespace orlo {
namespace {

using testing_support::MousePageRig;

class MousePageIdleTest : public MousePageRig {
 protected:
  int LitButtons() const {
    int lit = 0;
    for (int i = 0; i < CMousePageUI::kLights; ++i)
      if (page_->LightButton(i) != nullptr && page_->LightButton(i)->IsLightOn()) ++lit;
    return lit;
  }
  // The page on screen, its light thread stopped so that the test sets the LEDs.
  void OpenOnScreenStill() {
    OpenPage();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    mouse_->StopLightThread();
  }
};

TEST_F(MousePageIdleTest, HiddenOrMinimisedPageKeepsItsButtonsUntilShown) {
  OpenPage();
  // A page that was never shown shows nothing: its preview rests. The test lights the LEDs.
  ASSERT_TRUE(WaitFor([&] { return mouse_->Preview().Paused(); }));
  mouse_->ledState().Fill({255, 0, 0}, 4);

  // Never shown: the tab's LED timer asks for painting, the buttons stay as built.
  page_->PaintLeds();
  EXPECT_EQ(LitButtons(), 0);

  // Showing the page paints the current state at once, without waiting for the next tick.
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  EXPECT_GT(LitButtons(), 0);

  // Minimised: nothing is updated, so switching the LEDs off is not taken over.
  window_->setWindowState(Qt::WindowMinimized);
  ASSERT_TRUE(window_->isMinimized());
  mouse_->StopLightThread();
  mouse_->ledState().Fill({0, 0, 0}, 0);
  page_->PaintLeds();
  EXPECT_GT(LitButtons(), 0);

  window_->setWindowState(Qt::WindowNoState);
  page_->PaintLeds();
  EXPECT_EQ(LitButtons(), 0);
}

TEST_F(MousePageIdleTest, LedPaintsFollowEachOtherNoFasterThanTheGap) {
  OpenOnScreenStill();
  auto now = std::chrono::steady_clock::now();
  page_->SetClock([&now] { return now; });
  mouse_->ledState().Fill({255, 0, 0}, 4);
  now += std::chrono::milliseconds(40);
  page_->PaintLeds();
  ASSERT_EQ(LitButtons(), CMousePageUI::kLights);

  // Switched off 32 ms after a paint: the tick leaves the picture as it is ...
  mouse_->ledState().Fill({0, 0, 0}, 0);
  now += std::chrono::milliseconds(32);
  page_->PaintLeds();
  EXPECT_EQ(LitButtons(), CMousePageUI::kLights);
  // ... and a tick 33 ms after the paint shows the new state.
  now += std::chrono::milliseconds(1);
  page_->PaintLeds();
  EXPECT_EQ(LitButtons(), 0);
  page_->SetClock({});
}

TEST_F(MousePageIdleTest, LightThreadNoticesPaintThePictureOneFrameAtATime) {
  OpenOnScreenStill();
  // The light thread may have lit the picture before it stopped: start from a dark one.
  mouse_->ledState().Fill({0, 0, 0}, 0);
  page_->OnLedsChanged();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !page_->LedPaintPending(); }, 5000));
  ASSERT_EQ(LitButtons(), 0);
  mouse_->ledState().Fill({255, 0, 0}, 4);
  // No timer asks for painting: the notice alone brings the picture up to date.
  page_->OnLedsChanged();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !page_->LedPaintPending(); }, 5000));
  EXPECT_EQ(LitButtons(), CMousePageUI::kLights);

  // A burst of notices right after a frame is one request, painted when the frame gap is over,
  // with the state of that moment.
  mouse_->ledState().Fill({0, 255, 0}, 4);
  page_->OnLedsChanged();
  page_->OnLedsChanged();
  EXPECT_TRUE(page_->LedPaintPending());
  mouse_->ledState().Fill({0, 0, 0}, 0);
  page_->OnLedsChanged();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !page_->LedPaintPending(); }, 5000));
  EXPECT_EQ(LitButtons(), 0);
}

TEST_F(MousePageIdleTest, TheLightThreadRestsWhileThePageIsHidden) {
  OpenPage();
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  ASSERT_TRUE(mouse_->Preview().Shown());
  ASSERT_TRUE(QTest::qWaitFor([&] { return LitButtons() > 0; }, 5000));

  // Hidden with its window (closed to the tray): the preview rests.
  window_->hide();
  EXPECT_FALSE(mouse_->Preview().Shown());
  ASSERT_TRUE(QTest::qWaitFor([&] { return mouse_->Preview().Paused(); }, 5000));

  // Shown again: the preview goes on and the picture follows it.
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  EXPECT_TRUE(mouse_->Preview().Shown());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !mouse_->Preview().Paused(); }, 5000));

  // Minimised, the same; restored, it goes on.
  window_->setWindowState(Qt::WindowMinimized);
  EXPECT_FALSE(mouse_->Preview().Shown());
  ASSERT_TRUE(QTest::qWaitFor([&] { return mouse_->Preview().Paused(); }, 5000));
  window_->setWindowState(Qt::WindowNoState);
  EXPECT_TRUE(mouse_->Preview().Shown());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !mouse_->Preview().Paused(); }, 5000));
  mouse_->StopLightThread();
  mouse_->ledState().Fill({0, 0, 0}, 0);
  page_->OnLedsChanged();
  ASSERT_TRUE(QTest::qWaitFor([&] { return LitButtons() == 0; }, 5000));
}

}  // namespace
}  // namespace orlo
