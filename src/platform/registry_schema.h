// A registry schema: the values a settings record keeps, each with its subkey, name, encoding,
// load limits and the field that holds it, so that loading, saving and listing walk one table.
// The encoding follows the field's type; a field's default is what its record starts with.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// The field a value is kept in: a boolean, a number, a text or a list of texts.
using RegistryField = std::variant<bool*, uint8_t*, uint16_t*, uint32_t*, std::string*, std::vector<std::string>*>;

// What a load takes of a stored value: numbers are clamped to low..high, texts longer than
// maxBytes are not taken.
struct RegistryLimits {
  uint32_t low = 0;
  uint32_t high = UINT32_MAX;
  size_t maxBytes = 4096;
};

// One value of a schema.
struct RegistryValue {
  const char* subkey;  // as BuildSettingsKeyPath takes it
  const char* name;
  RegistryField field;
  RegistryLimits limits = {};
};

// A number clamped to the limits.
uint32_t ClampToLimits(uint32_t value, const RegistryLimits& limits);
// What a listing shows of a field: "True" or "False", the number, the text, or one line per
// list item (one empty line for an empty list).
std::vector<std::string> RegistryFieldTexts(const RegistryField& field);
