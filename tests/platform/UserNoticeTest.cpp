#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/UserNotice.h"

namespace orlo {
namespace {

TEST(UserNotice, EachKeyReachesTheInstalledSinkOnce) {
  ForgetUserNotices();
  std::vector<std::string> seen;
  UserNoticeSink before = SetUserNoticeSink([&](const std::string& text) { seen.push_back(text); });
  EXPECT_FALSE(before);
  EXPECT_TRUE(NotifyUserOnce("a", "first"));
  EXPECT_FALSE(NotifyUserOnce("a", "first again"));
  EXPECT_TRUE(NotifyUserOnce("b", "second"));
  ForgetUserNotices();
  EXPECT_TRUE(NotifyUserOnce("a", "after forgetting"));
  EXPECT_EQ(seen, (std::vector<std::string>{"first", "second", "after forgetting"}));
  // A sink may give a notice itself without a deadlock.
  SetUserNoticeSink([&](const std::string& text) {
    seen.push_back(text);
    if (text == "outer") NotifyUserOnce("inner", "inner");
  });
  EXPECT_TRUE(NotifyUserOnce("outer", "outer"));
  EXPECT_EQ(seen.back(), "inner");
  UserNoticeSink mine = SetUserNoticeSink({});
  EXPECT_TRUE(mine);
  ForgetUserNotices();
}

TEST(UserNotice, WithoutASinkOneLineGoesToStderr) {
  ForgetUserNotices();
  SetUserNoticeSink({});
  ::testing::internal::CaptureStderr();
  NotifyUserOnce("k", "cannot read 'x'");
  NotifyUserOnce("k", "cannot read 'x'");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "test_platform: cannot read 'x'\n");
  ForgetUserNotices();
}

}  // namespace
}  // namespace orlo
