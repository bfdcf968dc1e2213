#include "shell/window.h"

// gtest comes before the X headers, whose macros (None, Bool) clash with
// its names.
// clang-format off
#include <gtest/gtest.h>
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "shell/run.h"
#include "shell/window_fltk.h"

// Sanitized builds: fontconfig keeps its font caches for the life of the
// process and never frees them; they are not leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

namespace scenario {
namespace {

// --- helpers ---------------------------------------------------------------

// Sets or removes $DISPLAY for one test and puts the old value back.
class display_env {
 public:
  explicit display_env(std::optional<std::string> value) {
    if (const char* old = std::getenv("DISPLAY")) old_ = old;
    if (value) {
      setenv("DISPLAY", value->c_str(), 1);
    } else {
      unsetenv("DISPLAY");
    }
  }
  ~display_env() {
    if (old_) {
      setenv("DISPLAY", old_->c_str(), 1);
    } else {
      unsetenv("DISPLAY");
    }
  }

 private:
  std::optional<std::string> old_;
};

bool display_is_set() {
  const char* name = std::getenv("DISPLAY");
  return name != nullptr && *name != '\0';
}

// Brightness (0..255) of every pixel of a window as the display holds it.
struct gray_image {
  int width = 0;
  int height = 0;
  std::vector<int> level;
  int at(int x, int y) const { return level[y * width + x]; }
};

gray_image read_window(Window xid, int width, int height) {
  XImage* image =
      XGetImage(fl_display, xid, 0, 0, width, height, AllPlanes, ZPixmap);
  gray_image out{width, height, {}};
  if (image == nullptr) return out;
  const Colormap colormap = DefaultColormap(fl_display, fl_screen);
  std::map<unsigned long, int> levels;
  out.level.reserve(width * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      auto found = levels.find(pixel);
      if (found == levels.end()) {
        XColor color{};
        color.pixel = pixel;
        XQueryColor(fl_display, colormap, &color);
        const int level = (299 * (color.red >> 8) + 587 * (color.green >> 8) +
                           114 * (color.blue >> 8)) /
                          1000;
        found = levels.emplace(pixel, level).first;
      }
      out.level.push_back(found->second);
    }
  }
  XDestroyImage(image);
  return out;
}

constexpr int dark_level = 96;

struct rect {
  int left, top, width, height;
  bool contains(int x, int y) const {
    return x >= left && x < left + width && y >= top && y < top + height;
  }
};

// Dark pixels inside and outside `area`, and the box around those inside.
struct ink_count {
  int inside = 0;
  int outside = 0;
  int min_x = 1 << 30, min_y = 1 << 30, max_x = -1, max_y = -1;
};

ink_count count_ink(const gray_image& image, rect area) {
  ink_count ink;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (image.at(x, y) >= dark_level) continue;
      if (!area.contains(x, y)) {
        ++ink.outside;
        continue;
      }
      ++ink.inside;
      ink.min_x = std::min(ink.min_x, x);
      ink.min_y = std::min(ink.min_y, y);
      ink.max_x = std::max(ink.max_x, x);
      ink.max_y = std::max(ink.max_y, y);
    }
  }
  return ink;
}

// Mean length of the horizontal runs of dark pixels inside the ink's box: the
// thickness of the strokes, about twice as large for bold text.
double mean_stroke_px(const gray_image& image, const ink_count& ink) {
  int runs = 0;
  int run_pixels = 0;
  for (int y = ink.min_y; y <= ink.max_y; ++y) {
    int run = 0;
    for (int x = ink.min_x; x <= ink.max_x + 1; ++x) {
      if (x <= ink.max_x && image.at(x, y) < dark_level) {
        ++run;
      } else if (run > 0) {
        ++runs;
        run_pixels += run;
        run = 0;
      }
    }
  }
  return runs == 0 ? 0.0 : static_cast<double>(run_pixels) / runs;
}

std::string window_name(Window xid) {
  char* name = nullptr;
  if (XFetchName(fl_display, xid, &name) == 0 || name == nullptr) return {};
  std::string out = name;
  XFree(name);
  return out;
}

// With SCENARIO_SCREENSHOT_DIR set, keeps a picture of the whole screen for
// a person to look at (tests/shell/window_screenshots.sh).
void keep_screenshot(const char* name) {
  const char* dir = std::getenv("SCENARIO_SCREENSHOT_DIR");
  if (dir == nullptr) return;
  XSync(fl_display, False);
  const std::string command =
      std::string("import -window root '") + dir + "/" + name + ".png'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

// Events as the display would deliver them for a user's action.
void click_at(Fl_Window& box, int x, int y) {
  const Window xid = fl_xid(&box);
  XEvent event{};
  event.xbutton.type = ButtonPress;
  event.xbutton.display = fl_display;
  event.xbutton.window = xid;
  event.xbutton.root = RootWindow(fl_display, fl_screen);
  event.xbutton.x = x;
  event.xbutton.y = y;
  event.xbutton.button = Button1;
  event.xbutton.same_screen = True;
  XSendEvent(fl_display, xid, False, ButtonPressMask, &event);
  event.xbutton.type = ButtonRelease;
  event.xbutton.state = Button1Mask;
  XSendEvent(fl_display, xid, False, ButtonReleaseMask, &event);
  XFlush(fl_display);
}

void press_return(Fl_Window& box) {
  const Window xid = fl_xid(&box);
  XEvent event{};
  event.xkey.type = KeyPress;
  event.xkey.display = fl_display;
  event.xkey.window = xid;
  event.xkey.root = RootWindow(fl_display, fl_screen);
  event.xkey.keycode = XKeysymToKeycode(fl_display, XK_Return);
  event.xkey.same_screen = True;
  XSendEvent(fl_display, xid, False, KeyPressMask, &event);
  event.xkey.type = KeyRelease;
  XSendEvent(fl_display, xid, False, KeyReleaseMask, &event);
  XFlush(fl_display);
}

// What the window manager sends when the user closes a window.
void close_from_title_bar(Fl_Window& box) {
  const Window xid = fl_xid(&box);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.display = fl_display;
  event.xclient.window = xid;
  event.xclient.message_type = XInternAtom(fl_display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = XInternAtom(fl_display, "WM_DELETE_WINDOW", False);
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(fl_display, xid, False, NoEventMask, &event);
  XFlush(fl_display);
}

// --- texts and console fallback --------------------------------------------

TEST(window_text, error_text_is_blank_word_number_sign_then_code) {
  EXPECT_EQ(errore_text("1250"), " Errore n. 1250");
  EXPECT_EQ(errore_text("1251"), " Errore n. 1251");
  EXPECT_EQ(errore_text(""), " Errore n. ");
}

struct console_case {
  const char* name;
  void (*act)(window&);
  const char* expected_stderr;
};

class console_window_test : public ::testing::TestWithParam<console_case> {};

TEST_P(console_window_test, writes_exact_text_to_standard_error) {
  const console_case& c = GetParam();
  auto console = make_console_window();
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  c.act(*console);
  const std::string err = ::testing::internal::GetCapturedStderr();
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(err, c.expected_stderr);
  EXPECT_EQ(out, "");
}

INSTANTIATE_TEST_SUITE_P(
    cases, console_window_test,
    ::testing::Values(
        console_case{"waiting", [](window& w) { w.show_waiting(); },
                     "Attendere\n"},
        console_case{"errore_1250", [](window& w) { w.errore("1250"); },
                     " Errore n. 1250\n"},
        console_case{"errore_1251", [](window& w) { w.errore("1251"); },
                     " Errore n. 1251\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// An unusable $DISPLAY must not reach the toolkit, which would end the
// process; the console window takes over.
class make_window_without_display_test
    : public ::testing::TestWithParam<std::optional<std::string>> {};

TEST_P(make_window_without_display_test, gives_console_window) {
  display_env env(GetParam());
  auto w = make_window(program_directory());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(dynamic_cast<fltk_window*>(w.get()), nullptr);
  ::testing::internal::CaptureStderr();
  w->show_waiting();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Attendere\n");
}

INSTANTIATE_TEST_SUITE_P(cases, make_window_without_display_test,
                         ::testing::Values(std::nullopt,
                                           std::optional<std::string>(""),
                                           std::optional<std::string>(":4721")),
                         [](const auto& info) {
                           if (!info.param) return std::string("unset");
                           return info.param->empty()
                                      ? std::string("empty")
                                      : std::string("no_server");
                         });

// --- the toolkit window (needs a display, e.g. xvfb-run) --------------------

class gui_test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!display_is_set()) {
      GTEST_SKIP() << "DISPLAY is not set: run the tests under xvfb-run -a";
    }
  }
};

using make_window_with_display_test = gui_test;

TEST_F(make_window_with_display_test, gives_toolkit_window) {
  auto w = make_window(program_directory());
  EXPECT_NE(dynamic_cast<fltk_window*>(w.get()), nullptr);
}

using form1_test = gui_test;

TEST_F(form1_test, has_caption_form1_and_fixed_280_by_179_client_area) {
  fltk_window w;
  w.show_waiting();
  const Window xid = fl_xid(&w.form());
  ASSERT_NE(xid, 0u);

  EXPECT_EQ(window_name(xid), "Form1");
  XWindowAttributes attributes{};
  ASSERT_NE(XGetWindowAttributes(fl_display, xid, &attributes), 0);
  EXPECT_EQ(attributes.width, 280);
  EXPECT_EQ(attributes.height, 179);
  EXPECT_EQ(attributes.map_state, IsViewable);

  // Not resizable: the size hints pin the minimum and maximum to the size.
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_NE(XGetWMNormalHints(fl_display, xid, &hints, &supplied), 0);
  ASSERT_TRUE(hints.flags & PMinSize);
  ASSERT_TRUE(hints.flags & PMaxSize);
  EXPECT_EQ(hints.min_width, 280);
  EXPECT_EQ(hints.min_height, 179);
  EXPECT_EQ(hints.max_width, 280);
  EXPECT_EQ(hints.max_height, 179);
  // Placement is the window manager's: no position asked of it.
  EXPECT_FALSE(hints.flags & USPosition);
}

TEST_F(form1_test, label_is_painted_when_show_waiting_returns) {
  fltk_window w;
  w.show_waiting();
  // No event is serviced from here on, as in the run.
  const gray_image image = read_window(fl_xid(&w.form()), 280, 179);
  ASSERT_EQ(image.level.size(), 280u * 179u);
  keep_screenshot("form1");

  const rect label{64, 64, 177, 53};
  const ink_count ink = count_ink(image, label);
  EXPECT_EQ(ink.outside, 0) << "dark pixels outside the label";
  ASSERT_GT(ink.inside, 400) << "the label's text is not on screen";
  // A large left-aligned line of text, starting at the label's top left.
  const int ink_width = ink.max_x - ink.min_x + 1;
  const int ink_height = ink.max_y - ink.min_y + 1;
  EXPECT_GE(ink_width, 140);
  EXPECT_GE(ink_height, 20);
  EXPECT_LE(ink_height, 40);
  EXPECT_LT(ink.min_x, label.left + 8);
  EXPECT_LT(ink.min_y, label.top + 16);
  // Bold: strokes of the regular weight at this size average under 4 pixels.
  EXPECT_GE(mean_stroke_px(image, ink), 5.5);
}

// --- the error box ------------------------------------------------------

struct error_box_seen {
  int calls = 0;
  std::string title;
  std::string xtitle;
  bool modal = false;
  std::vector<std::string> texts;    // labels of the non-button widgets
  std::vector<std::string> buttons;  // labels of the buttons
  int message_ink = 0;
  Fl_Window* box = nullptr;
  bool timed_out = false;
};

void record_box(Fl_Window& box, error_box_seen& seen) {
  ++seen.calls;
  seen.box = &box;
  seen.title = box.label() ? box.label() : "";
  seen.xtitle = window_name(fl_xid(&box));
  seen.modal = box.modal() != 0;
  const gray_image image = read_window(fl_xid(&box), box.w(), box.h());
  for (int i = 0; i < box.children(); ++i) {
    const Fl_Widget* child = box.child(i);
    const std::string label = child->label() ? child->label() : "";
    if (dynamic_cast<const Fl_Button*>(child) != nullptr) {
      seen.buttons.push_back(label);
      continue;
    }
    seen.texts.push_back(label);
    if (!image.level.empty()) {
      seen.message_ink +=
          count_ink(image, {child->x(), child->y(), child->w(), child->h()})
              .inside;
    }
  }
}

Fl_Widget* ok_button(Fl_Window& box) {
  for (int i = 0; i < box.children(); ++i) {
    if (dynamic_cast<Fl_Button*>(box.child(i)) != nullptr) {
      return box.child(i);
    }
  }
  return nullptr;
}

// Hides a box that nobody answered so that a broken box fails the test
// instead of hanging it.
void give_up(void* data) {
  auto* seen = static_cast<error_box_seen*>(data);
  seen->timed_out = true;
  if (seen->box != nullptr) seen->box->hide();
}

struct answer_case {
  const char* name;
  void (*answer)(Fl_Window& box);
};

class error_box_test : public ::testing::TestWithParam<answer_case> {
 protected:
  void SetUp() override {
    if (!display_is_set()) {
      GTEST_SKIP() << "DISPLAY is not set: run the tests under xvfb-run -a";
    }
  }
};

TEST_P(error_box_test, shows_code_with_one_ok_button_and_returns_on_answer) {
  fltk_window w;
  w.show_waiting();
  error_box_seen seen;
  const auto answer = GetParam().answer;
  w.set_error_box_hook([&](Fl_Window& box) {
    record_box(box, seen);
    keep_screenshot(GetParam().name);
    answer(box);
  });
  Fl::add_timeout(10.0, give_up, &seen);
  w.errore("1250");
  Fl::remove_timeout(give_up, &seen);

  EXPECT_FALSE(seen.timed_out) << "the box did not close on the answer";
  EXPECT_EQ(seen.calls, 1);
  ASSERT_EQ(seen.texts.size(), 1u);
  EXPECT_EQ(seen.texts[0], " Errore n. 1250");
  ASSERT_EQ(seen.buttons.size(), 1u);
  EXPECT_EQ(seen.buttons[0], "OK");
  EXPECT_TRUE(seen.modal);
  EXPECT_GT(seen.message_ink, 50) << "the message is not on screen";
  // No title of its own: the program's name, as on any untitled window.
  EXPECT_FALSE(seen.title.empty());
  EXPECT_EQ(seen.title, application_title());
  EXPECT_EQ(seen.xtitle, seen.title);
}

INSTANTIATE_TEST_SUITE_P(
    answers, error_box_test,
    ::testing::Values(answer_case{"click_ok",
                                  [](Fl_Window& box) {
                                    Fl_Widget* ok = ok_button(box);
                                    ASSERT_NE(ok, nullptr);
                                    click_at(box, ok->x() + ok->w() / 2,
                                             ok->y() + ok->h() / 2);
                                  }},
                      answer_case{"press_return", press_return},
                      answer_case{"close_box", close_from_title_bar}),
    [](const auto& info) { return std::string(info.param.name); });

using error_box_click_test = gui_test;

TEST_F(error_box_click_test, click_outside_ok_leaves_box_open) {
  fltk_window w;
  error_box_seen seen;
  w.set_error_box_hook([&](Fl_Window& box) {
    record_box(box, seen);
    click_at(box, 2, 2);  // the corner, away from OK
  });
  Fl::add_timeout(1.0, give_up, &seen);
  w.errore("1251");
  Fl::remove_timeout(give_up, &seen);
  EXPECT_TRUE(seen.timed_out) << "the box closed without an answer";
  ASSERT_EQ(seen.texts.size(), 1u);
  EXPECT_EQ(seen.texts[0], " Errore n. 1251");
}

}  // namespace
}  // namespace scenario
