// Writing a file so that a failure never costs the file that was there before.
//
// Everything goes to a new temporary file beside the target (same folder, so the final
// rename is atomic): "shot.png" is written as "shot.png.part-XXXXXX". Every write is
// checked, the data is flushed to the disk and the close is checked; only then is the
// temporary file renamed over the target. On any failure the temporary file is removed
// and the target is left as it was, with the reason (the system's text) in error().
//
// A target that is a folder, or exists but is not a regular file (a FIFO, a device such
// as /dev/full), is refused: renaming over it would replace it rather than write to it. A
// symbolic link is followed, so the file it names is replaced and the link stays. A new
// file gets the usual permissions (0666 less the umask); a replaced one keeps its own.
//
//   SafeFile file;
//   if (!file.open(target) || !file.write(data, size) || !file.commit())
//       report(file.error());
//
// Or, for a file made in memory at once: writeFileSafely(target, bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace ollendor {

class SafeFile {
public:
    SafeFile() = default;
    // An unfinished file is abandoned: the temporary file goes, the target stays.
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;
    SafeFile(SafeFile&& other) noexcept;
    SafeFile& operator=(SafeFile&& other) noexcept;

    // Creates the temporary file for target (abandoning one already open). False, with the
    // reason in error(), when the target is refused or the file cannot be created.
    bool open(const std::filesystem::path& target);
    // Appends size bytes. False (and error() says why) if they were not all written; a
    // failed write abandons the file, so every later call is refused and commit fails.
    bool write(const void* data, size_t size);
    // Overwrites size bytes at offset (a header fixed up at the end), then carries on
    // appending where the file ends.
    bool writeAt(uint64_t offset, const void* data, size_t size);
    // Flushes to the disk, closes and renames over the target. False, with the temporary
    // file removed and the target untouched, if any of that (or an earlier write) failed.
    bool commit();
    // Closes and removes the temporary file; the target stays as it was. Harmless when
    // nothing is open.
    void abandon();

    bool isOpen() const { return descriptor >= 0; }
    // Why the last open, write or commit failed, e.g. "No space left on device".
    const std::string& error() const { return reason; }
    // The file being written (empty when closed).
    const std::filesystem::path& temporaryPath() const { return temporary; }

private:
    bool fail(int error);   // records strerror(error) and abandons; returns false
    void release();         // closes and removes the temporary file, keeps the reason

    int descriptor = -1;                // the temporary file, -1 when closed
    std::filesystem::path target;       // what the file becomes on commit
    std::filesystem::path temporary;    // the file being written
    std::string reason;                 // the last failure
};

// Writes bytes to target through a SafeFile. Returns an empty string on success, else the
// reason (the old target, if any, is intact).
std::string writeFileSafely(const std::filesystem::path& target, std::span<const uint8_t> bytes);

} // namespace ollendor
