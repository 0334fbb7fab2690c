#pragma once
#include <cstdint>
#include <optional>
#include <span>

// Bounds-checked little-endian reads from untrusted bytes: every read outside the
// bytes yields nothing instead of touching memory it does not own.
namespace fileutil {

class ByteView {
public:
    explicit ByteView(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint64_t size() const { return bytes_.size(); }
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::optional<std::span<const std::uint8_t>> Slice(std::uint64_t offset, std::uint64_t length) const {
        if (!Has(offset, length)) return std::nullopt;
        return bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    }
    std::optional<std::uint8_t> U8(std::uint64_t offset) const { return Read<std::uint8_t>(offset); }
    std::optional<std::uint16_t> U16(std::uint64_t offset) const { return Read<std::uint16_t>(offset); }
    std::optional<std::uint32_t> U32(std::uint64_t offset) const { return Read<std::uint32_t>(offset); }
    std::optional<std::uint64_t> U64(std::uint64_t offset) const { return Read<std::uint64_t>(offset); }

private:
    template <typename T>
    std::optional<T> Read(std::uint64_t offset) const {
        if (!Has(offset, sizeof(T))) return std::nullopt;
        T value = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            value |= static_cast<T>(static_cast<T>(bytes_[static_cast<std::size_t>(offset) + i]) << (8 * i));
        return value;
    }

    std::span<const std::uint8_t> bytes_;
};

}  // namespace fileutil
