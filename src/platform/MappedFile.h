#pragma once
#include <cstdint>
#include <span>
#include <string>

// A whole file mapped read-only into memory, unmapped when the object ends.
namespace platform {

class MappedFile {
public:
    // Maps the file; ok() is false when it cannot be opened, is not a regular file or is empty.
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool ok() const { return data_ != nullptr; }
    std::span<const std::uint8_t> bytes() const { return {data_, size_}; }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace platform
