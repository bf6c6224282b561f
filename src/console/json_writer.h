// A small JSON writer for the command line's --json output: objects, arrays, texts and numbers,
// with every text escaped and any byte that is not UTF-8 replaced, so the output always parses.
#pragma once
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

class CJsonWriter {
 public:
  // Opens an object ({) or an array ([) as the next value.
  CJsonWriter& BeginObject() { return Open('{'); }
  CJsonWriter& BeginArray() { return Open('['); }
  // Closes the innermost object or array.
  CJsonWriter& End();
  // The name of the next member of an object.
  CJsonWriter& Key(const std::string& name);
  // Values.
  CJsonWriter& String(const std::string& text);
  CJsonWriter& Integer(int64_t value);
  CJsonWriter& Unsigned(uint64_t value);
  CJsonWriter& Fixed(double value, int decimals);
  CJsonWriter& Bool(bool value);
  // A member: its name and a value in one call.
  CJsonWriter& Member(const std::string& name, const std::string& value) { return Key(name).String(value); }
  CJsonWriter& Member(const std::string& name, const char* value) { return Key(name).String(value); }
  CJsonWriter& Member(const std::string& name, bool value) { return Key(name).Bool(value); }
  template <typename T>
  CJsonWriter& Member(const std::string& name, T value) {
    static_assert(std::is_integral_v<T>, "a JSON member is a text, a truth value or a whole number");
    if constexpr (std::is_signed_v<T>)
      return Key(name).Integer(static_cast<int64_t>(value));
    else
      return Key(name).Unsigned(static_cast<uint64_t>(value));
  }
  // The text written so far.
  const std::string& Text() const { return text_; }

 private:
  CJsonWriter& Open(char bracket);
  void BeforeValue();

  std::string text_;
  std::vector<char> closers_;
  std::vector<bool> first_;
  bool afterKey_ = false;
};

// The JSON text of a string: quoted, escaped, invalid UTF-8 replaced by U+FFFD.
std::string JsonQuote(const std::string& text);
