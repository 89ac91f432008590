// The Windows backend under Wine, driven by the system's own input: SendInput
// for the keyboard and the pointer (from a thread of its own while the test runs
// the loop), a shell drop handle for a drop of files, and the session's end
// messages as the system sends them.
#include <cctype>
#include <chrono>
#include <thread>

#include "Driver.h"
#include "InputThread.h"
#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32WindowSystem.h"

namespace {

class TRecordingSystem : public TWin32WindowSystem {
 public:
  void MessageBox(const AnsiString& text, const AnsiString&) override { Shown.push_back(text); }
  std::vector<AnsiString> Shown;
};

// The form's window once it is visible (found by its title, the form's caption).
WinHWND Visible(const AnsiString& title) {
  for (int i = 0; i < 250; ++i) {
    const WinHWND window = FindWindowA("ChimoraForm", title.c_str());
    if (window != nullptr && IsWindowVisible(window)) return window;
    Sleep(20);
  }
  return nullptr;
}

void Send(std::initializer_list<INPUT> inputs) {
  for (INPUT input : inputs) {
    SendInput(1, &input, sizeof input);
    Sleep(30);
  }
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

// flags: MOUSEEVENTF_ button flags, with an absolute move to the screen point.
INPUT MouseInput(TPoint at, DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = (at.x * 65536 + 32768) / GetSystemMetrics(SM_CXSCREEN);
  input.mi.dy = (at.y * 65536 + 32768) / GetSystemMetrics(SM_CYSCREEN);
  input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
  return input;
}

// The shell's DROPFILES header: where the names begin, and that they are narrow.
struct TDropFilesHeader {
  DWORD pFiles;
  POINT pt;
  BOOL fNC;
  BOOL fWide;
};

TPoint OnScreen(const TForm& form, TPoint at) { return TPoint{form.Left() + at.x, form.Top() + at.y}; }

class TWin32Driver : public TDriver {
 public:
  TWindowSystem& System() override { return FSystem; }
  std::vector<AnsiString> MessageBoxes() override { return FSystem.Shown; }

  void Key(TForm& form, uint16_t key, bool alt) override {
    Later([title = form.Caption(), key, alt] {
      const WinHWND window = Visible(title);
      SetForegroundWindow(window);
      Sleep(100);
      if (alt) Send({KeyInput(VK_MENU, false)});
      Send({KeyInput(key, false), KeyInput(key, true)});
      if (alt) Send({KeyInput(VK_MENU, true)});
    });
  }
  void RightClickAndChoose(TForm& form, TPoint at, char accessKey) override {
    Later([title = form.Caption(), at = OnScreen(form, at), accessKey] {
      SetForegroundWindow(Visible(title));
      Send({MouseInput(at, 0), MouseInput(at, MOUSEEVENTF_RIGHTDOWN), MouseInput(at, MOUSEEVENTF_RIGHTUP)});
      for (int i = 0; i < 250; ++i, Sleep(20)) {
        const WinHWND menu = FindWindowA("#32768", nullptr);  // the system's class of popup menus
        if (menu != nullptr && IsWindowVisible(menu)) break;
      }
      const auto key = static_cast<WORD>(std::toupper(accessKey));
      Send({KeyInput(key, false), KeyInput(key, true)});
    });
  }
  void Drag(TForm& form, TPoint from, TPoint to) override {
    Later([title = form.Caption(), from = OnScreen(form, from), to = OnScreen(form, to)] {
      Visible(title);
      Send({MouseInput(from, 0), MouseInput(from, MOUSEEVENTF_LEFTDOWN), MouseInput(TPoint{from.x + 5, from.y + 5}, 0)});
      Sleep(100);
      Send({MouseInput(to, 0)});
      Sleep(100);
      Send({MouseInput(to, MOUSEEVENTF_LEFTUP)});
    });
  }
  // The shell's drop handle, as a file manager's drop leaves it with the window.
  // UTF-8 names, dropped in UTF-16 as the shell does.
  void Drop(TForm& form, const std::vector<std::string>& files) override {
    std::wstring names;
    for (const std::string& file : files) {
      std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, file.data(), static_cast<int>(file.size()), nullptr, 0)), L'\0');
      MultiByteToWideChar(CP_UTF8, 0, file.data(), static_cast<int>(file.size()), wide.data(), static_cast<int>(wide.size()));
      names += wide + L'\0';
    }
    names += L'\0';
    const HGLOBAL memory = GlobalAlloc(GHND, sizeof(TDropFilesHeader) + names.size() * sizeof(wchar_t));
    auto* drop = static_cast<TDropFilesHeader*>(GlobalLock(memory));
    drop->pFiles = sizeof(TDropFilesHeader);
    drop->fWide = TRUE;
    std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(drop + 1));
    GlobalUnlock(memory);
    PostMessageA(Native(form.Handle()), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  }
  void Reveal(TForm& form) override { form.Invalidate(); }
  void EndSession(TForm& mainForm) override {
    Later([window = Native(mainForm.Handle())] {
      // Bounded: a loop that has already ended answers nothing.
      DWORD_PTR agreed = 0;
      SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &agreed);
      SendMessageTimeoutA(window, WM_ENDSESSION, agreed != 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    });
  }

  bool RunUntil(const std::function<bool()>& done) override {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    MSG msg;
    while (!done() && std::chrono::steady_clock::now() < end) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return done();
  }
  int Run() override {
    const int32_t watchdog = FSystem.SetTimer(5000, [this] { FSystem.Quit(-1); });
    const int status = FSystem.Run();
    FSystem.KillTimer(watchdog);
    return status;
  }

 private:
  void Later(std::function<void()> input) { FInput.Later(std::move(input)); }


  TRecordingSystem FSystem;
  TInputThread FInput;  // last: gone first, once the input given is done
};

}  // namespace

std::unique_ptr<TDriver> MakeDriver() { return std::make_unique<TWin32Driver>(); }
