#pragma once

#include <array>

namespace quill::data {
/// Day texts by month (0-11) and day (0-30); days a month does not have are empty.
extern const std::array<std::array<const char16_t *, 31>, 12> dayTexts;
/// The first names in picker order.
extern const std::array<const char16_t *, 436> firstNames;
} // namespace quill::data
