#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace Foundation {

// The raw texts of an enumeration whose cases are numbered 0, 1, 2, … in declaration order.
template <class Enum, std::size_t N>
class RawValueTable {
public:
    constexpr explicit RawValueTable(std::array<std::string_view, N> texts) : texts_(texts) {}

    constexpr std::string_view text(Enum value) const
    {
        const auto index = static_cast<std::size_t>(value);
        return index < N ? texts_[index] : std::string_view {};
    }

    // Exact, case-sensitive match.
    constexpr std::optional<Enum> value(std::string_view text) const
    {
        for (std::size_t i = 0; i < N; ++i) {
            if (texts_[i] == text)
                return static_cast<Enum>(i);
        }
        return std::nullopt;
    }

    static constexpr std::size_t size() { return N; }

private:
    std::array<std::string_view, N> texts_;
};

} // namespace Foundation
