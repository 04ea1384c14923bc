#include "files/safe_file.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ollendor {

namespace fs = std::filesystem;

namespace {

constexpr int maxLinkHops = 40;        // as the kernel allows; a loop ends here
constexpr int maxNameAttempts = 100;   // temporary names tried before giving up
constexpr size_t maxBaseLength = 200;  // of the target's name in the temporary's, so that
                                       // the suffix still fits the 255-byte name limit

// The file a symbolic link (or chain of them) names; other paths come back unchanged. A
// link to nowhere gives the path it names, so the new file appears there.
fs::path followLinks(fs::path path)
{
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            break;
        std::error_code error;
        const fs::path next = fs::read_symlink(path, error);
        if (error)
            break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// Six characters that differ from call to call and process to process.
std::string uniqueSuffix()
{
    static std::atomic<uint64_t> counter = 0;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    uint64_t value = uint64_t(now.tv_nsec) ^ uint64_t(now.tv_sec) << 30 ^
                     uint64_t(::getpid()) << 40 ^ counter.fetch_add(1) * 0x9E3779B97F4A7C15u;
    value ^= value >> 29;
    value *= 0xBF58476D1CE4E5B9u;
    value ^= value >> 32;
    static constexpr char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix(6, 'a');
    for (char& c : suffix) {
        c = digits[value % 36];
        value /= 36;
    }
    return suffix;
}

} // namespace

SafeFile::~SafeFile()
{
    release();
}

SafeFile::SafeFile(SafeFile&& other) noexcept
{
    *this = std::move(other);
}

SafeFile& SafeFile::operator=(SafeFile&& other) noexcept
{
    if (this != &other) {
        release();
        descriptor = std::exchange(other.descriptor, -1);
        target = std::move(other.target);
        temporary = std::move(other.temporary);
        reason = std::move(other.reason);
        other.temporary.clear();
    }
    return *this;
}

bool SafeFile::open(const fs::path& requested)
{
    release();
    reason.clear();
    target = followLinks(requested);

    struct stat existing {};
    if (::lstat(target.c_str(), &existing) == 0 && S_ISLNK(existing.st_mode))
        return fail(ELOOP); // links that go round in a circle

    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (target.filename().empty() || (exists && S_ISDIR(existing.st_mode))) {
        reason = "it is a folder";
        return false;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        reason = "it is not a regular file";
        return false;
    }
    // Renaming would replace a read-only file; the user meant it to stay.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return fail(errno);

    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::string base = target.filename().string();
    if (base.size() > maxBaseLength)
        base.resize(maxBaseLength);
    for (int attempt = 0; attempt < maxNameAttempts; ++attempt) {
        temporary = folder / (base + ".part-" + uniqueSuffix());
        // 0666 less the umask, as for any new file.
        descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0)
            break;
        const int error = errno;
        temporary.clear();
        if (error != EEXIST)
            return fail(error);
    }
    if (descriptor < 0)
        return fail(EEXIST);
    if (exists) {
        // The replacement keeps the old file's permissions, and its owner where we may
        // give it (root may; anyone else keeps the file as their own).
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
            [[maybe_unused]] const int owned =
                ::fchown(descriptor, existing.st_uid, existing.st_gid);
        }
        ::fchmod(descriptor, existing.st_mode & 07777);
    }
    return true;
}

bool SafeFile::write(const void* data, size_t size)
{
    if (descriptor < 0)
        return false;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(descriptor, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        bytes += written;
        size -= size_t(written);
    }
    return true;
}

bool SafeFile::writeAt(uint64_t offset, const void* data, size_t size)
{
    if (descriptor < 0)
        return false;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::pwrite(descriptor, bytes, size, off_t(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        bytes += written;
        size -= size_t(written);
        offset += uint64_t(written);
    }
    return true;
}

bool SafeFile::commit()
{
    if (descriptor < 0)
        return false;
    // A full disk may only show when the data is flushed or the file closed.
    if (::fsync(descriptor) != 0)
        return fail(errno);
    const int closing = std::exchange(descriptor, -1);
    if (::close(closing) != 0 && errno != EINTR)
        return fail(errno);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return fail(errno);
    temporary.clear();
    // The rename itself reaches the disk with the folder's entry; a failure here loses
    // nothing that a crash right after a successful call would not.
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    const int folderDescriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderDescriptor >= 0) {
        (void)::fsync(folderDescriptor);
        ::close(folderDescriptor);
    }
    return true;
}

void SafeFile::abandon()
{
    release();
}

bool SafeFile::fail(int error)
{
    reason = std::strerror(error);
    release();
    return false;
}

void SafeFile::release()
{
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
    if (!temporary.empty()) {
        ::unlink(temporary.c_str());
        temporary.clear();
    }
}

std::string writeFileSafely(const fs::path& target, std::span<const uint8_t> bytes)
{
    SafeFile file;
    if (file.open(target) && file.write(bytes.data(), bytes.size()) && file.commit())
        return {};
    return file.error();
}

} // namespace ollendor
