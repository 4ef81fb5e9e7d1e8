#pragma once

#include <ostream>
#include <string>

namespace wobbet::testing {

// A row of a table of test cases carries a name, which names its test and stands for the row
// wherever GoogleTest prints it.
template <typename Row>
concept NamedRow = requires(const Row& row) {
    std::string(row.name);
};

template <NamedRow Row>
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

inline constexpr auto kRowName = [](const auto& test) { return std::string(test.param.name); };

}  // namespace wobbet::testing
