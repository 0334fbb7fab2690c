#pragma once
#include <cstdint>
#include <string_view>

// Deterministic pseudo-random numbers that do not depend on the standard library's
// implementation, so a seed gives the same rows everywhere.
namespace testdata {

inline std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

inline std::uint64_t HashText(std::string_view text) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (unsigned char c : text) h = (h ^ c) * 0x100000001B3ull;
    return h;
}

class Rng {
public:
    explicit Rng(std::uint64_t state) : state_(state) {}

    std::uint64_t Next() { return Mix(state_ += 0x9E3779B97F4A7C15ull); }
    // A number in [lo, hi], both included.
    std::int64_t Between(std::int64_t lo, std::int64_t hi) {
        if (hi <= lo) return lo;
        return lo + static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    bool Percent(int percent) { return percent > 0 && static_cast<int>(Next() % 100) < percent; }
    template <typename List>
    const auto& Pick(const List& list) {
        return list[static_cast<std::size_t>(Next() % std::size(list))];
    }

private:
    std::uint64_t state_;
};

}  // namespace testdata
