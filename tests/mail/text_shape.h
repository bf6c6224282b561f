// Matching texts against a shape, where the platform's regular expressions differ.
#pragma once
#include <cctype>
#include <string>

// True when text has shape's length and each character fits: '#' a digit, 'A' an upper-case
// letter, 'a' a lower-case letter, '_' a space or digit, '~' '+' or '-', else that character.
inline bool HasShape(const std::string& text, const std::string& shape) {
  if (text.size() != shape.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    bool fits = shape[i] == '#'   ? std::isdigit(c) != 0
                : shape[i] == 'A' ? std::isupper(c) != 0
                : shape[i] == 'a' ? std::islower(c) != 0
                : shape[i] == '_' ? c == ' ' || std::isdigit(c) != 0
                : shape[i] == '~' ? c == '+' || c == '-'
                                  : text[i] == shape[i];
    if (!fits) return false;
  }
  return true;
}
