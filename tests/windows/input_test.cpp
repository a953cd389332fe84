// The saver window's input rules against a fake host: what closes the saver and when, the grace
// period and the password check, the cursor, and what keys and drags do to the scene.
#include <algorithm>
#include <utility>

#include "fixture.h"
#include "windows/saver_messages.h"

namespace {

constexpr WindowHandle kWindow = 42;

class InputTest : public RunTest {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    context.passwordDelay = 15;
    context.useMouse = 0;
    Send(kMsgCreate);
    host.calls.clear();
  }
  MessageResult Send(std::uint32_t message, std::uintptr_t wParam = 0) {
    const EventResult result = HandleSaverMessage(saver, host, kWindow, message, wParam);
    requested_ = requested_ || result.closeRequested;
    return result.message;
  }
  void MoveTo(std::int32_t x, std::int32_t y) {
    host.cursor = {x, y};
    Send(kMsgMouseMove);
  }
  // Whether the rules asked to close since the last look.
  bool Requested() { return std::exchange(requested_, false); }

  FakeWindowHost host;
  std::int32_t& runMode = saver.runMode;

 private:
  bool requested_ = false;
};

}  // namespace

TEST_F(InputTest, KeysClicksAndDeactivationCloseOnlyWhenInputMay) {
  struct Case {
    std::uint32_t message;
    std::uintptr_t wParam;
    bool closes;  // in Saver mode, outside a password check
  };
  const Case cases[] = {
      {kMsgKeyDown, 27, true},         {kMsgKeyDown, 38, true},  // Escape, Up
      {kMsgKeyDown, kKeyLeft, false},  {kMsgKeyDown, kKeyRight, false},
      {kMsgKeyDown, kKeyEnter, false}, {kMsgKeyDown, kKeySpace, false},
      {kMsgKeyDown, kKeyDown, false},  {kMsgMButtonDown, 0x10, true},
      {kMsgLButtonDown, 1, false},     {kMsgRButtonDown, 2, false},
      {kMsgActivate, 0, true},         {kMsgActivate, 0x10000, true},
      {kMsgActivate, 1, false},        {kMsgActivateApp, 0, true},
      {kMsgNcActivate, 0, true},
  };
  for (const Case& c : cases) {
    for (std::int32_t mode : {kSaver, kPreview}) {
      for (bool checking : {false, true}) {
        runMode = mode;
        context.checkingPassword = checking;
        Send(c.message, c.wParam);
        EXPECT_EQ(Requested(), c.closes && mode == kSaver && !checking)
            << c.message << " " << c.wParam << " mode " << mode << " checking " << checking;
      }
    }
  }
}

TEST_F(InputTest, MouseMovesCloseOnJumpsOfMoreThanFivePixelsWithoutUseMouse) {
  MoveTo(500, 500);
  EXPECT_FALSE(Requested()) << "the first examined move never closes";
  MoveTo(505, 495);
  EXPECT_FALSE(Requested()) << "5 pixels on both axes";
  MoveTo(499, 495);
  EXPECT_TRUE(Requested()) << "6 pixels left";
  MoveTo(499, 501);
  EXPECT_TRUE(Requested()) << "6 pixels down";

  input = InputState();
  context.checkingPassword = true;
  MoveTo(0, 0);
  MoveTo(300, 300);
  EXPECT_FALSE(Requested());
  EXPECT_EQ(input.mouseMoveCount, 0) << "moves during a password check are not examined";
  context.checkingPassword = false;
  MoveTo(900, 900);
  EXPECT_FALSE(Requested()) << "so the first move after it is still the first";

  input = InputState();
  context.useMouse = 1;
  MoveTo(0, 0);
  MoveTo(300, 300);
  EXPECT_FALSE(Requested()) << "useMouse lets the mouse move freely";
  runMode = kPreview;
  context.useMouse = 0;
  MoveTo(900, 900);
  MoveTo(0, 0);
  EXPECT_FALSE(Requested()) << "the preview ignores the mouse";
}

TEST_F(InputTest, AfterTheGracePeriodOnlyAnAcceptedPasswordCloses) {
  struct Case {
    std::uint32_t start, elapsed;
    std::int32_t delay, answer;
    Calls calls;
  };
  const Calls asked = {"set cursor", "password", "set cursor"};
  Calls accepted = asked;
  accepted.push_back("destroy");
  const Case cases[] = {
      {1000, 15000, 15, 0, {"destroy"}},
      {1000, 15001, 15, 1, accepted},
      {1000, 15001, 15, 0, asked},  // refused: the saver runs on
      {0xFFFFF000u, 15000, 15, 1, {"destroy"}},
      {0xFFFFF000u, 15001, 15, 1, accepted},
      {77, 0, 0, 1, {"destroy"}},
      {77, 1, 0, -5, accepted},
  };
  for (const Case& c : cases) {
    context = SaverContext();
    context.window = kWindow;
    context.passwordDelay = c.delay;
    context.startTick = c.start;
    clock.milliseconds = c.start + c.elapsed;
    host.passwordAnswer = c.answer;
    host.calls.clear();
    Send(kMsgKeyDown, 27);
    EXPECT_TRUE(Requested());
    EXPECT_EQ(Send(kMsgClose), MessageResult::kHandled);
    EXPECT_EQ(host.calls, c.calls) << c.start << " + " << c.elapsed << " answer " << c.answer;
    EXPECT_FALSE(context.checkingPassword);
  }
}

TEST_F(InputTest, CloseMessagesAreObeyedOnlyWhenRequestedAndNotDuringACheck) {
  clock.milliseconds = 60000;
  EXPECT_EQ(Send(kMsgClose), MessageResult::kHandled);
  EXPECT_EQ(host.calls, Calls{}) << "Alt+F4 and other unrequested closes are ignored";
  context.closeRequested = true;
  context.checkingPassword = true;
  Send(kMsgClose);
  EXPECT_EQ(host.calls, Calls{}) << "ignored during a check";
  runMode = kPreview;
  EXPECT_EQ(Send(kMsgClose), MessageResult::kDefault) << "the preview closes as any window";

  runMode = kSaver;
  context.checkingPassword = false;
  Send(kMsgSetCursor);
  EXPECT_FALSE(host.arrow);
  context.checkingPassword = true;
  Send(kMsgSetCursor);
  EXPECT_TRUE(host.arrow);
  for (std::uintptr_t command : {kScScreenSave, kScClose}) {
    EXPECT_EQ(Send(kMsgSysCommand, command), MessageResult::kHandled);
  }
  EXPECT_EQ(Send(kMsgSysCommand, 0xF020), MessageResult::kDefault);
  runMode = kPreview;
  Send(kMsgSetCursor);
  EXPECT_TRUE(host.arrow);
  EXPECT_EQ(Send(kMsgSysCommand, kScClose), MessageResult::kDefault);
  host.calls.clear();
  Send(kMsgDestroy);
  EXPECT_EQ(host.calls, Calls{"quit"});
}

TEST_F(InputTest, KeysAndDragsActOnTheSceneWhateverUseMouseSays) {
  view.dayMode = false;
  Send(kMsgKeyDown, kKeyEnter);
  EXPECT_TRUE(view.dayMode);
  EXPECT_EQ(view.background.red, 0.92484f) << "Enter's day is the fog colour";
  const auto on = [this] {
    return std::count(engine.PatternMatrix, engine.PatternMatrix + 200, 1);
  };
  Send(kMsgKeyDown, kKeySpace);
  Send(kMsgRButtonDown);
  EXPECT_EQ(on(), 0) << "a right click resets";
  Send(kMsgKeyDown, kKeySpace);
  EXPECT_EQ(on(), 57) << "Space after a reset: seed 10's transform";
  Send(kMsgKeyDown, kKeyDown);
  EXPECT_EQ(on(), 0) << "Down resets too";
  Send(kMsgRButtonUp);

  for (std::int32_t useMouse : {0, 1}) {
    context.useMouse = useMouse;
    view = ViewState();
    view.tableTilt = 90.0f;
    input.mouseMoveCount = 1;
    host.cursor = {100, 100};
    Send(kMsgLButtonDown);
    MoveTo(110, 104);
    EXPECT_FLOAT_EQ(view.spinVelocity, 1.71f) << useMouse;
    EXPECT_FLOAT_EQ(view.tableTilt, 90.84f) << useMouse;
    Send(kMsgLButtonUp);
    view.viewDepth = -80.0f;
    Send(kMsgRButtonDown);
    MoveTo(1110, 104);  // +1000 from the press
    EXPECT_EQ(view.viewDepth, 0.0f) << useMouse;
    MoveTo(-890, 104);  // -2000
    EXPECT_EQ(view.viewDepth, -150.0f) << useMouse;
    Send(kMsgRButtonUp);
  }
}
