// The run's window on Windows, drawn with the system's own controls: Form1
// with its label "Attendere", and the error box as a system message box.
#include <windows.h>

#include <iostream>
#include <string>

#include "model/utf16_windows.h"
#include "shell/window.h"

namespace scenario {
namespace {

// Form1 in pixels (15 twips per pixel): client area and the label's place.
constexpr int form_width_px = 280;
constexpr int form_height_px = 179;
constexpr RECT label_rect = {64, 64, 64 + 177, 64 + 53};
// The label's font: bold, 24 points (32 pixels at 96 dots per inch).
constexpr int label_font_px = 32;
constexpr wchar_t label_font[] = L"MS Sans Serif";
constexpr wchar_t form_class[] = L"scenario_Form1";

struct form_state {
  HFONT font = nullptr;
};

LRESULT CALLBACK form_procedure(HWND w, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_PAINT) {
    const auto* state = reinterpret_cast<const form_state*>(
        GetWindowLongPtrW(w, GWLP_USERDATA));
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    HGDIOBJ old = SelectObject(dc, state->font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT r = label_rect;
    DrawTextW(dc, L"Attendere", -1, &r, DT_LEFT | DT_TOP | DT_WORDBREAK);
    SelectObject(dc, old);
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcW(w, message, wp, lp);
}

// The title a box without one of its own carries: the program's name.
std::wstring application_title() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  return std::filesystem::path(exe).stem().wstring();
}

class win32_window : public window {
 public:
  win32_window() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW c{};
    c.lpfnWndProc = form_procedure;
    c.hInstance = instance;
    c.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // arrow
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    c.lpszClassName = form_class;
    RegisterClassW(&c);

    state_.font =
        CreateFontW(-label_font_px, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, label_font);
    // A fixed size: a caption and a close box, nothing to resize.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT outer = {0, 0, form_width_px, form_height_px};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    form_ = CreateWindowExW(0, form_class, L"Form1", style, CW_USEDEFAULT,
                            CW_USEDEFAULT, outer.right - outer.left,
                            outer.bottom - outer.top, nullptr, nullptr,
                            instance, nullptr);
    if (form_ != nullptr) {
      SetWindowLongPtrW(form_, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(&state_));
    }
  }
  ~win32_window() override {
    if (form_ != nullptr) DestroyWindow(form_);
    if (state_.font != nullptr) DeleteObject(state_.font);
  }
  win32_window(const win32_window&) = delete;
  win32_window& operator=(const win32_window&) = delete;

  bool created() const { return form_ != nullptr; }

  // Shown non-modal and painted at once; the run works without servicing
  // the window after this.
  void show_waiting() override {
    ShowWindow(form_, SW_SHOWNORMAL);
    UpdateWindow(form_);
    GdiFlush();
  }

  // The system's message box over Form1, one OK button; returns once it is
  // answered or closed.
  void errore(std::string_view a) override {
    const std::wstring text = wide_from_utf8(errore_text(a));
    MessageBoxW(form_, text.c_str(), application_title().c_str(), MB_OK);
  }

 private:
  HWND form_ = nullptr;
  form_state state_;
};

// A process without an interactive desktop (a service, a remote shell)
// would wait forever on a box nobody sees.
bool on_visible_desktop() {
  USEROBJECTFLAGS flags{};
  return GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags,
                                   sizeof flags, nullptr) &&
         (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace

std::unique_ptr<window> make_window(const std::filesystem::path&) {
  if (!on_visible_desktop()) return make_console_window();
  auto w = std::make_unique<win32_window>();
  if (!w->created()) return make_console_window();
  return w;
}

}  // namespace scenario
