#pragma once
// How the conformance cases reach a backend: a driver gives input the way a user
// (or the session) gives it on that backend, and runs its loop. Each backend's
// test program defines MakeDriver.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/Form.h"

class TDriver {
 public:
  virtual ~TDriver() = default;
  virtual TWindowSystem& System() = 0;
  // The texts of the message boxes the firewall showed.
  virtual std::vector<AnsiString> MessageBoxes() = 0;

  // Input, in the order given; it arrives while a loop runs (RunUntil, a modal
  // loop, Run). Points are the form's client coordinates.
  virtual void Key(TForm& form, uint16_t key, bool alt) = 0;
  // A right click, then the menu item with this access key.
  virtual void RightClickAndChoose(TForm& form, TPoint at, char accessKey) = 0;
  // Left button down at from, the pointer moved to to, the button up.
  virtual void Drag(TForm& form, TPoint from, TPoint to) = 0;
  // Files (UTF-8 paths) dropped on the form at once, in this order.
  virtual void Drop(TForm& form, const std::vector<std::string>& files) = 0;
  // The window is exposed and must be painted again.
  virtual void Reveal(TForm& form) = 0;
  // The session ends, as the backend's system ends it.
  virtual void EndSession(TForm& mainForm) = 0;

  // Runs the loop until done() (true) or five seconds passed (false).
  virtual bool RunUntil(const std::function<bool()>& done) = 0;
  // Runs the program's loop until Quit: its exit code, or -1 after five seconds.
  virtual int Run() = 0;
};

std::unique_ptr<TDriver> MakeDriver();
