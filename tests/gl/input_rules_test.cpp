// The saver window's input rules against a fake host: what closes the saver and when, the grace
// period and the password check, the cursor, and what keys and drags do to the scene.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/startup.h"
#include "display/input_rules.h"
#include "display/saver_messages_win32.h"
#include "display/view.h"
#include "engine/sequencer.h"
#include "fake_window_host.h"
#include "scene_environment.h"

namespace {

using Calls = std::vector<std::string>;
constexpr WindowHandle kWindow = 42;

class InputRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SceneContext();
    engine = EngineState();
    view = ViewState();
    input = InputState();
    context.passwordDelay = 15;
    context.useMouse = 0;
    saverContext = &context;
    runMode = kSaver;
    Send(kMsgCreate);
    host.calls.clear();
  }
  void TearDown() override {
    saverContext = nullptr;
    runMode = kNoRunMode;
  }

  MessageResult Send(std::uint32_t message, std::uintptr_t wParam = 0) {
    return HandleSaverMessage(host, kWindow, message, wParam);
  }
  MessageResult MoveTo(std::int32_t x, std::int32_t y) {
    host.cursor = {x, y};
    return Send(kMsgMouseMove);
  }
  bool Requested() {
    const bool posted = !host.calls.empty() && host.calls.back() == "PostClose 42";
    host.calls.clear();
    return posted;
  }

  SaverContext context;
  FakeWindowHost host;
};

}  // namespace

TEST_F(InputRulesTest, KeysClicksAndDeactivationCloseOnlyWhenInputMay) {
  struct Case {
    const char* what;
    std::uint32_t message;
    std::uintptr_t wParam;
    bool closesInSaver;
  };
  const Case cases[] = {
      {"Escape", kMsgKeyDown, 27, true},
      {"Up arrow", kMsgKeyDown, 38, true},
      {"Left arrow", kMsgKeyDown, kKeyLeft, false},
      {"Right arrow", kMsgKeyDown, kKeyRight, false},
      {"Enter", kMsgKeyDown, kKeyEnter, false},
      {"Space", kMsgKeyDown, kKeySpace, false},
      {"Down arrow", kMsgKeyDown, kKeyDown, false},
      {"middle click", kMsgMButtonDown, 0x10, true},
      {"left click", kMsgLButtonDown, 1, false},
      {"right click", kMsgRButtonDown, 2, false},
      {"deactivated", kMsgActivate, 0, true},
      {"deactivated, minimised", kMsgActivate, 0x10000, true},
      {"activated", kMsgActivate, 1, false},
      {"application deactivated", kMsgActivateApp, 0, true},
      {"frame deactivated", kMsgNcActivate, 0, true},
  };
  for (const Case& c : cases) {
    for (std::int32_t mode : {kSaver, kPreview}) {
      for (bool checking : {false, true}) {
        runMode = mode;
        context.checkingPassword = checking;
        host.calls.clear();
        Send(c.message, c.wParam);
        EXPECT_EQ(Requested(), c.closesInSaver && mode == kSaver && !checking)
            << c.what << " mode " << mode << " checking " << checking;
      }
    }
  }
}

TEST_F(InputRulesTest, MouseMovesCloseOnJumpsBeyondFivePixelsWithoutUseMouse) {
  EXPECT_EQ(MoveTo(500, 500), MessageResult::kDefault);
  EXPECT_FALSE(Requested()) << "the first examined move never closes";
  MoveTo(505, 495);
  EXPECT_FALSE(Requested()) << "5 pixels on both axes";
  MoveTo(499, 495);
  EXPECT_TRUE(Requested()) << "6 pixels left";
  MoveTo(499, 501);
  EXPECT_TRUE(Requested()) << "6 pixels down";
  EXPECT_EQ(input.mouseMoveCount, 4);

  input = InputState();
  context.useMouse = 1;
  MoveTo(0, 0);
  MoveTo(300, 300);
  EXPECT_FALSE(Requested()) << "useMouse lets the mouse move freely";
  EXPECT_EQ(input.mouseMoveCount, 0);

  context.useMouse = 0;
  runMode = kPreview;
  MoveTo(900, 900);
  MoveTo(0, 0);
  EXPECT_FALSE(Requested()) << "the preview ignores the mouse";
}

TEST_F(InputRulesTest, GracePeriodEndsAtExactlyTheDelayAlsoAcrossTheTickWrap) {
  struct Case {
    std::uint32_t start;
    std::uint32_t elapsed;
    std::int32_t delay;
    bool asksPassword;
  };
  const Case cases[] = {
      {1000, 15000, 15, false},       {1000, 15001, 15, true},
      {0xFFFFF000u, 15000, 15, false}, {0xFFFFF000u, 15001, 15, true},
      {77, 0, 0, false},              {77, 1, 0, true},
  };
  for (const Case& c : cases) {
    context = SaverContext();
    context.window = kWindow;
    context.passwordDelay = c.delay;
    context.startTick = c.start;
    host.tickCount = c.start + c.elapsed;
    host.calls.clear();
    Send(kMsgKeyDown, 27);
    Send(kMsgClose);
    const Calls expected =
        c.asksPassword ? Calls{"PostClose 42", "SendSetCursor 42", "VerifyPassword 42",
                               "SendSetCursor 42", "Destroy 42"}
                       : Calls{"PostClose 42", "Destroy 42"};
    EXPECT_EQ(host.calls, expected) << c.start << " + " << c.elapsed;
  }
}

TEST_F(InputRulesTest, CloseMessagesAreObeyedOnlyWhenRequestedAndNotDuringACheck) {
  host.tickCount = 60000;
  EXPECT_EQ(Send(kMsgClose), MessageResult::kHandled);
  EXPECT_EQ(host.calls, Calls{}) << "Alt+F4 and other unrequested closes are ignored";

  host.passwordAnswer = 0;
  Send(kMsgKeyDown, 27);
  Send(kMsgClose);
  EXPECT_TRUE(context.closeRequested) << "stays set after a refused password";
  EXPECT_FALSE(context.checkingPassword);
  host.calls.clear();

  context.checkingPassword = true;
  Send(kMsgClose);
  EXPECT_EQ(host.calls, Calls{}) << "ignored during a check";
  context.checkingPassword = false;

  host.passwordAnswer = 1;
  Send(kMsgClose);  // any close now counts as requested, and the password is asked again
  EXPECT_EQ(host.calls, (Calls{"SendSetCursor 42", "VerifyPassword 42", "SendSetCursor 42",
                               "Destroy 42"}));

  runMode = kPreview;
  context.closeRequested = false;
  EXPECT_EQ(Send(kMsgClose), MessageResult::kDefault) << "the preview closes as any window";
}

TEST_F(InputRulesTest, CursorSystemCommandsCreationAndDestruction) {
  Send(kMsgSetCursor);
  EXPECT_FALSE(host.arrow);
  context.checkingPassword = true;
  Send(kMsgSetCursor);
  EXPECT_TRUE(host.arrow);
  context.checkingPassword = false;
  runMode = kPreview;
  Send(kMsgSetCursor);
  EXPECT_TRUE(host.arrow);

  struct Case {
    std::int32_t mode;
    std::uintptr_t command;
    MessageResult result;
  };
  const Case cases[] = {
      {kSaver, kScScreenSave, MessageResult::kHandled},
      {kSaver, kScClose, MessageResult::kHandled},
      {kSaver, 0xF020, MessageResult::kDefault},
      {kSaver, kScClose + 1, MessageResult::kDefault},
      {kPreview, kScClose, MessageResult::kDefault},
  };
  for (const Case& c : cases) {
    runMode = c.mode;
    EXPECT_EQ(Send(kMsgSysCommand, c.command), c.result) << c.mode << " " << c.command;
  }

  host.tickCount = 1234;
  HandleSaverMessage(host, 77, kMsgCreate, 0);
  EXPECT_EQ(context.window, 77);
  EXPECT_EQ(context.startTick, 1234u);
  host.calls.clear();
  Send(kMsgDestroy);
  EXPECT_EQ(host.calls, Calls{"PostQuit"});
}

TEST_F(InputRulesTest, KeysAndDragsActOnTheScene) {
  view.dayMode = false;
  Send(kMsgKeyDown, kKeyEnter);
  EXPECT_TRUE(view.dayMode);

  Send(kMsgKeyDown, kKeySpace);
  int on = 0;
  for (std::uint8_t cell : engine.PatternMatrix) {
    on += cell;
  }
  EXPECT_GT(on, 0) << "Space fills the pattern";
  Send(kMsgRButtonDown);
  on = 0;
  for (std::uint8_t cell : engine.PatternMatrix) {
    on += cell;
  }
  EXPECT_EQ(on, 0) << "a right click resets it";
  Send(kMsgRButtonUp);

  context.useMouse = 1;
  view.tableTilt = 90.0f;
  host.cursor = {100, 100};
  Send(kMsgLButtonDown);
  MoveTo(110, 104);
  EXPECT_FLOAT_EQ(view.spinVelocity, 1.71f);
  EXPECT_FLOAT_EQ(view.tableTilt, 90.84f);
  Send(kMsgLButtonUp);

  view.viewDepth = -80.0f;
  Send(kMsgRButtonDown);
  MoveTo(1110, 104);  // +1000 and 0 from the press
  EXPECT_EQ(view.viewDepth, 0.0f);
  MoveTo(-890, 104);  // -2000
  EXPECT_EQ(view.viewDepth, -150.0f);
}
