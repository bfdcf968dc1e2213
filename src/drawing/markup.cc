#include "drawing/markup.h"

#include <cmath>
#include <cstdio>

#include "model/text_8bit.h"

namespace scenario::drawing {

// Markup cannot carry control characters, nor the undefined bytes that
// decode to them.
std::string from_8bit(std::string_view text) {
  return windows1252_to_printable(text);
}

void append_escaped_text(std::string& out, std::string_view utf8) {
  for (char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
}

void append_escaped_attribute(std::string& out, std::string_view utf8) {
  for (char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
}

std::string coordinate(double v) {
  if (!std::isfinite(v)) return "0";
  double r = std::round(v * 10) / 10;
  if (r == 0) r = 0;  // no "-0"
  char text[32];
  if (r == std::floor(r)) {
    std::snprintf(text, sizeof text, "%.0f", r);
  } else {
    std::snprintf(text, sizeof text, "%.1f", r);
  }
  return text;
}

markup& markup::open(std::string_view name) {
  end_start_tag();
  out_ += '<';
  out_ += name;
  in_start_tag_ = true;
  return *this;
}

markup& markup::attr(std::string_view name, std::string_view value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  append_escaped_attribute(out_, value);
  out_ += '"';
  return *this;
}

markup& markup::attr(std::string_view name, double value) {
  return attr(name, coordinate(value));
}

markup& markup::end_empty() {
  out_ += "/>";
  in_start_tag_ = false;
  return *this;
}

markup& markup::close(std::string_view name) {
  end_start_tag();
  out_ += "</";
  out_ += name;
  out_ += '>';
  return *this;
}

markup& markup::text(std::string_view utf8) {
  end_start_tag();
  append_escaped_text(out_, utf8);
  return *this;
}

markup& markup::raw(std::string_view trusted) {
  end_start_tag();
  out_ += trusted;
  return *this;
}

markup& markup::element(std::string_view name, std::string_view utf8_text) {
  end_start_tag();
  return open(name).text(utf8_text).close(name);
}

void markup::end_start_tag() {
  if (in_start_tag_) {
    out_ += '>';
    in_start_tag_ = false;
  }
}

}  // namespace scenario::drawing
