#pragma once
#include <array>
#include <string_view>

// The fixed list of the 80 tables a conversion run can copy, in the order of the window's
// list and therefore in the order the run copies them. Each name exists in both editions.
inline constexpr std::size_t kCatalogueSize = 80;

const std::array<std::string_view, kCatalogueSize>& TableCatalogue();
