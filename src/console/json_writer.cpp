// The JSON writer's escaping, nesting and number forms.
#include "console/json_writer.h"

#include "platform/string_printf.h"

namespace {

// The length of the valid UTF-8 sequence at text[i], or 0 when none starts there.
size_t Utf8Length(const std::string& text, size_t i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(i + k) & 0x3F);
  }
  static const uint32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string JsonQuote(const std::string& text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t length = Utf8Length(text, i);
    if (length == 0) {
      out += "\\ufffd";
      ++i;
      continue;
    }
    if (c == '"' || c == '\\')
      out += std::string("\\") + char(c);
    else if (c < 0x20 || c == 0x7F)
      out += StringPrintf("\\u%04x", c);
    else
      out.append(text, i, length);
    i += length;
  }
  return out + "\"";
}

CJsonWriter& CJsonWriter::Open(char bracket) {
  BeforeValue();
  text_ += bracket;
  closers_.push_back(bracket == '{' ? '}' : ']');
  first_.push_back(true);
  return *this;
}

CJsonWriter& CJsonWriter::End() {
  if (closers_.empty()) return *this;
  text_ += closers_.back();
  closers_.pop_back();
  first_.pop_back();
  return *this;
}

CJsonWriter& CJsonWriter::Key(const std::string& name) {
  BeforeValue();
  text_ += JsonQuote(name) + ":";
  afterKey_ = true;
  return *this;
}

void CJsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (first_.empty()) return;
  if (!first_.back()) text_ += ',';
  first_.back() = false;
}

CJsonWriter& CJsonWriter::String(const std::string& text) {
  BeforeValue();
  text_ += JsonQuote(text);
  return *this;
}

CJsonWriter& CJsonWriter::Integer(int64_t value) {
  BeforeValue();
  text_ += std::to_string(value);
  return *this;
}

CJsonWriter& CJsonWriter::Unsigned(uint64_t value) {
  BeforeValue();
  text_ += std::to_string(value);
  return *this;
}

CJsonWriter& CJsonWriter::Fixed(double value, int decimals) {
  BeforeValue();
  text_ += value == value && value < 1e300 && value > -1e300 ? StringPrintf("%.*f", decimals, value) : "null";
  return *this;
}

CJsonWriter& CJsonWriter::Bool(bool value) {
  BeforeValue();
  text_ += value ? "true" : "false";
  return *this;
}
