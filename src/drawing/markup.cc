#include "drawing/markup.h"

#include <cmath>
#include <cstdio>

namespace scenario::drawing {
namespace {

// Code points of Windows-1252 bytes 0x80 to 0x9F; 0 where the code page
// defines nothing.
constexpr char32_t cp1252_high[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr char32_t replacement = 0xFFFD;

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string from_8bit(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    char32_t c = b;
    if (b < 0x20 && b != '\t' && b != '\n' && b != '\r') {
      c = replacement;
    } else if (b == 0x7F) {
      c = replacement;
    } else if (b >= 0x80 && b < 0xA0) {
      c = cp1252_high[b - 0x80] ? cp1252_high[b - 0x80] : replacement;
    }
    append_utf8(out, c);
  }
  return out;
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
