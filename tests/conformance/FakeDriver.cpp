// The fake backend driven as the other backends are: input goes to the system,
// which turns it into the form's entry points as a desktop does (the menu after
// a right button's release, the end of a move loop at the left one's).
#include <cctype>
#include <deque>

#include "Driver.h"
#include "platform/window/FakeWindowSystem.h"
#include "platform/window/Menus.h"

namespace {

class TNoDeviceContext : public TDeviceContext {
 public:
  void BitBlt(int32_t, int32_t, const TBitmap&) override {}
  void FillRect(const TRect&, Color32) override {}
};

TPoint OnScreen(const TForm& form, TPoint at) { return TPoint{form.Left() + at.x, form.Top() + at.y}; }

class TFakeDriver : public TDriver {
 public:
  TFakeDriver() {
    FSystem.WhileModal = [this](HWND) { Flush(); };
  }
  TWindowSystem& System() override { return FSystem; }
  std::vector<AnsiString> MessageBoxes() override {
    std::vector<AnsiString> texts;
    for (const auto& [text, caption] : FSystem.Messages) texts.push_back(text);
    return texts;
  }

  void Key(TForm& form, uint16_t key, bool alt) override {
    Later([&form, key, alt] { form.KeyDown(key, alt); });
  }
  void RightClickAndChoose(TForm& form, TPoint at, char accessKey) override {
    Later([this, &form, at, accessKey] {
      const auto& items = form.PopupMenu->Items();
      for (size_t i = 0; i < items.size(); ++i) {
        const size_t amp = items[i]->Caption.find('&');
        if (amp != AnsiString::npos && std::tolower(items[i]->Caption[amp + 1]) == std::tolower(accessKey)) FSystem.MenuChoice = int32_t(i);
      }
      FSystem.Pointer(form.Handle(), TPointerAction::RightDown, OnScreen(form, at), TPointerKeys{false, true});
      FSystem.Pointer(form.Handle(), TPointerAction::RightUp, OnScreen(form, at), TPointerKeys{});
    });
  }
  // As the other drivers: the button down, five pixels in, the rest of the way, the button up.
  void Drag(TForm& form, TPoint from, TPoint to) override {
    Later([this, &form, from, to] {
      const TPoint start = OnScreen(form, from), end = OnScreen(form, to);
      FSystem.Pointer(form.Handle(), TPointerAction::LeftDown, start, TPointerKeys{true});
      FSystem.Pointer(form.Handle(), TPointerAction::Move, TPoint{start.x + 5, start.y + 5}, TPointerKeys{true});
      FSystem.Pointer(form.Handle(), TPointerAction::Move, end, TPointerKeys{true});
      FSystem.Pointer(form.Handle(), TPointerAction::LeftUp, end, TPointerKeys{});
    });
  }
  void Drop(TForm& form, const std::vector<std::string>& files) override {
    Later([this, &form, files] {
      std::vector<AnsiString> names;
      for (const std::string& file : files) names.push_back(FromUtf8Name(file));
      FSystem.Drop(form.Handle(), names);
    });
  }
  void Reveal(TForm& form) override {
    Later([&form] {
      TNoDeviceContext dc;
      form.Paint(dc);
    });
  }
  void EndSession(TForm& mainForm) override {
    Later([&mainForm] { mainForm.EndSession(mainForm.QueryEndSession()); });
  }

  // Timers fire, a round at a time, while input alone does not finish the wait.
  bool RunUntil(const std::function<bool()>& done) override {
    Flush();
    for (int round = 0; round < 100 && !done() && FSystem.TimerRunning(); ++round) FSystem.FireTimers();
    return done();
  }
  int Run() override {
    Flush();
    return FSystem.ExitCode.value_or(-1);  // nothing quit: the loop would run on
  }

 private:
  void Later(std::function<void()> input) { FInput.push_back(std::move(input)); }
  void Flush() {
    while (!FInput.empty()) {
      const std::function<void()> input = std::move(FInput.front());
      FInput.pop_front();
      input();
    }
  }

  TFakeWindowSystem FSystem;
  std::deque<std::function<void()>> FInput;
};

}  // namespace

std::unique_ptr<TDriver> MakeDriver() { return std::make_unique<TFakeDriver>(); }
