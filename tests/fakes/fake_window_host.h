// A fake window host: a tick count and cursor the test sets, and a log of what the rules asked.
#pragma once

#include <string>
#include <vector>

#include "display/input_rules.h"

class FakeWindowHost final : public WindowHost {
 public:
  std::uint32_t tickCount = 0;
  SaverPoint cursor;
  std::int32_t passwordAnswer = 1;
  std::vector<std::string> calls;
  // The cursor state the rules last chose: true the arrow, false hidden.
  bool arrow = true;

  std::uint32_t TickCount() override { return tickCount; }
  SaverPoint CursorPos() override { return cursor; }
  void PostClose(WindowHandle window) override { Log("PostClose", window); }
  void SendSetCursor(WindowHandle window) override { Log("SendSetCursor", window); }
  void SetCursorVisible(bool showArrow) override {
    arrow = showArrow;
    calls.push_back(showArrow ? "Arrow" : "NoCursor");
  }
  void Destroy(WindowHandle window) override { Log("Destroy", window); }
  void PostQuit() override { calls.push_back("PostQuit"); }
  std::int32_t VerifyPassword(WindowHandle window) override {
    Log("VerifyPassword", window);
    return passwordAnswer;
  }

 private:
  void Log(const char* what, WindowHandle window) {
    calls.push_back(std::string(what) + " " + std::to_string(window));
  }
};
