#pragma once

#include <string>

namespace wobbet::testing {

// Names each test of a table after its row's name.
inline constexpr auto kRowName = [](const auto& test) { return std::string(test.param.name); };

}  // namespace wobbet::testing
