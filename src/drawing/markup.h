// A small writer of HTML and inline SVG markup. Every piece of text that
// comes from a scenario goes through it: 8-bit names are decoded as
// Windows-1252 into UTF-8 and escaped for text or for attribute values, so
// no name can ever open a tag or end an attribute.
#ifndef SCENARIO_DRAWING_MARKUP_H_
#define SCENARIO_DRAWING_MARKUP_H_

#include <string>
#include <string_view>

namespace scenario::drawing {

// The 8-bit text of a description file as UTF-8. Bytes above 0x7F are read
// as Windows-1252 (the five bytes that code page leaves undefined as their
// Latin-1 control characters would be, replaced by U+FFFD); control
// characters other than tab and line ends become U+FFFD too, since markup
// cannot carry them.
std::string from_8bit(std::string_view text);

// Appends `utf8` escaped for element content (& < >).
void append_escaped_text(std::string& out, std::string_view utf8);
// Appends `utf8` escaped for a double-quoted attribute value (& < > " ').
void append_escaped_attribute(std::string& out, std::string_view utf8);

// A number with at most one decimal, without a trailing ".0": the form of
// every coordinate the drawing writes, to keep pages small.
std::string coordinate(double v);

// Builds a document into one string. Tags are opened with open(), given
// attributes with attr(), and closed in order with close(); text() and the
// attribute values are escaped here, never by the caller.
class markup {
 public:
  // Opens `<name` and leaves it open for attributes.
  markup& open(std::string_view name);
  // An attribute of the tag just opened; the value is UTF-8, escaped here.
  markup& attr(std::string_view name, std::string_view value);
  markup& attr(std::string_view name, double value);
  // Ends the open tag as `/>`, an element without content.
  markup& end_empty();
  // Closes the element named `name` (ending its start tag first if needed).
  markup& close(std::string_view name);
  // Element content, UTF-8, escaped here.
  markup& text(std::string_view utf8);
  // Content of the build's own making (style sheets, scripts, fixed
  // markup); never pass scenario text here.
  markup& raw(std::string_view trusted);

  // <name attrs...>text</name> for the common case of a short element.
  markup& element(std::string_view name, std::string_view utf8_text);

  const std::string& str() const { return out_; }
  std::string take() { return std::move(out_); }

 private:
  void end_start_tag();

  std::string out_;
  bool in_start_tag_ = false;
};

}  // namespace scenario::drawing

#endif  // SCENARIO_DRAWING_MARKUP_H_
