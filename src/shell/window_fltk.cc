#include "shell/window_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <errno.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace scenario {
namespace {

// Layout of the error box, in pixels.
constexpr int box_margin_px = 20;
constexpr int box_min_width_px = 200;
constexpr int button_width_px = 80;
constexpr int button_height_px = 26;
constexpr int message_font_px = 14;

void close_box(Fl_Widget* button, void*) { button->window()->hide(); }

// The toolkit exits the process when it cannot open its display, so the
// display is opened here and, when that works, handed to the toolkit. One
// connection only: closing a test connection first could reset a display
// server that had no other client, and the toolkit's own attempt right after
// would then be refused.
bool open_display_for_toolkit() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return false;
  // Already open in this process for the same display: keep it.
  if (fl_display != nullptr &&
      std::string_view(DisplayString(fl_display)) == std::string_view(name)) {
    return true;
  }
  Display* display = XOpenDisplay(name);
  if (display == nullptr) return false;
  fl_open_display(display);
  return true;
}

}  // namespace

std::string application_title() { return program_invocation_short_name; }

fltk_window::fltk_window()
    : form_(
          std::make_unique<Fl_Window>(form_width_px, form_height_px, "Form1")) {
  auto* label = new Fl_Box(label_left_px, label_top_px, label_width_px,
                           label_height_px, "Attendere");
  label->box(FL_NO_BOX);
  label->labelfont(FL_HELVETICA_BOLD);
  label->labelsize(label_font_px);
  label->labelcolor(FL_BLACK);
  label->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP | FL_ALIGN_LEFT | FL_ALIGN_CLIP);
  form_->end();
  // Fixed size: nothing on the form follows a resize.
  form_->resizable(nullptr);
  form_->size_range(form_width_px, form_height_px, form_width_px,
                    form_height_px);
}

fltk_window::~fltk_window() {
  form_->hide();
  Fl::flush();
}

void fltk_window::show_waiting() {
  form_->show();
  form_->wait_for_expose();
  // The run works without servicing the window after this, so the label
  // must be sent to the display now.
  Fl::flush();
}

void fltk_window::errore(std::string_view a) {
  fl_open_display();
  const std::string text = errore_text(a);
  const std::string title = application_title();

  fl_font(FL_HELVETICA, message_font_px);
  int text_w = 0;
  int text_h = 0;
  fl_measure(text.c_str(), text_w, text_h, 0);
  const int w = std::max(text_w + 2 * box_margin_px, box_min_width_px);
  const int h = box_margin_px + text_h + box_margin_px + button_height_px +
                box_margin_px / 2;

  Fl_Window box(w, h);
  box.copy_label(title.c_str());
  auto* message =
      new Fl_Box(box_margin_px, box_margin_px, w - 2 * box_margin_px, text_h);
  message->copy_label(text.c_str());
  message->labelfont(FL_HELVETICA);
  message->labelsize(message_font_px);
  message->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
  auto* ok = new Fl_Return_Button((w - button_width_px) / 2,
                                  h - box_margin_px / 2 - button_height_px,
                                  button_width_px, button_height_px, "OK");
  ok->callback(close_box);
  box.end();
  box.set_modal();
  box.position((Fl::w() - w) / 2, (Fl::h() - h) / 2);

  box.show();
  box.wait_for_expose();
  Fl::flush();
  if (hook_) hook_(box);
  // The box's own close (window button, Escape) hides it like OK does.
  while (box.shown()) Fl::wait();
  Fl::flush();
}

}  // namespace scenario

extern "C" scenario::window* scenario_open_fltk_window() {
  if (!scenario::open_display_for_toolkit()) return nullptr;
  return new scenario::fltk_window();
}
