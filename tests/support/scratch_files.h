// Files for tests: a scratch folder of the test's own, and byte patterns to fill files with.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace ollendor {

// A folder of its own under the system's temporary folder, removed with its contents.
class ScratchFolder {
public:
    ScratchFolder()
    {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        static unsigned made = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("ollendor-" + std::string(test ? test->name() : "test") + "-" +
                 std::to_string(getpid()) + "-" + std::to_string(++made));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

inline std::vector<uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file's whole contents as text (empty when it cannot be read), and text written as a file.
inline std::string readText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// size bytes counting up from first, wrapping at 256.
inline std::vector<uint8_t> countingBytes(size_t size, uint8_t first = 0)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t(first + i);
    return bytes;
}

inline std::vector<uint8_t> filledBytes(size_t size, uint8_t value)
{
    return std::vector<uint8_t>(size, value);
}

} // namespace ollendor
