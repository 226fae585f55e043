// The application object: the main window's parameters and the message when it cannot be opened.
#include "AppTestSupport.h"
#include "app/MainFrame.h"

#include <gtest/gtest.h>

namespace sv {
namespace {

struct TestMainFrame : MainFrame {
  explicit TestMainFrame(test::SceneLog& log) : MainFrame(std::make_unique<test::RecordingFrame>(log)) {}
};

struct MainFrameTest : ::testing::Test {
  test::FreshWindowing fresh;
  test::SceneLog log;
  TestMainFrame app{log};
};

TEST_F(MainFrameTest, OpensVeldrane1Of512By512AtTheOrigin) {
  ::testing::internal::CaptureStdout();
  ASSERT_EQ(app.open(), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  ASSERT_NE(app.getHandle(), nullptr);
  EXPECT_EQ(app.getHandle(), app.frame->getHandle());
  EXPECT_EQ(platform::RecordingBackend::instance().calls.front(), "create gl 0 0 512x512");
  EXPECT_EQ(kMainWindowStyle, DWORD(0x16CF0000));
}

TEST_F(MainFrameTest, FailedOpenPrintsTheMessageAndReturnsMinusOne) {
  log.failInit = true;
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(app.open(), -1);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Basewindow open error.\n");
}

TEST(MainFrameNamesTest, RealFrameUsesTheDesignedNames) {
  test::FreshWindowing fresh;
  MainFrame app(GetModuleHandleA(nullptr));
  EXPECT_STREQ(windowClass.lpszClassName, "Tessary1");
  EXPECT_EQ(app.frame->title, "Veldrane1");
  EXPECT_EQ(app.frame->getInstance(), GetModuleHandleA(nullptr));
  EXPECT_EQ(app.getHandle(), nullptr);  // no window before open
}

}  // namespace
}  // namespace sv
