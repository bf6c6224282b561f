// Clamping schema numbers and the texts a listing shows of a field.
#include "platform/registry_schema.h"

#include <algorithm>
#include <type_traits>

uint32_t ClampToLimits(uint32_t value, const RegistryLimits& limits) {
  return std::min(std::max(value, limits.low), limits.high);
}

std::vector<std::string> RegistryFieldTexts(const RegistryField& field) {
  return std::visit(
      [](auto* value) -> std::vector<std::string> {
        using T = std::remove_pointer_t<decltype(value)>;
        if constexpr (std::is_same_v<T, bool>)
          return {*value ? "True" : "False"};
        else if constexpr (std::is_same_v<T, std::string>)
          return {*value};
        else if constexpr (std::is_same_v<T, std::vector<std::string>>)
          return value->empty() ? std::vector<std::string>{""} : *value;
        else
          return {std::to_string(uint32_t(*value))};
      },
      field);
}
