#include "files/file_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ollendor {

namespace {

OpenedFile failure(int error, const char* path)
{
    switch (error) {
    case ENOENT: {
        struct stat link;
        if (path && lstat(path, &link) == 0 && S_ISLNK(link.st_mode))
            return {nullptr, FileProblem::other, "it is a link to a file that does not exist"};
        return {nullptr, FileProblem::missing, "there is no such file"};
    }
    case ENOTDIR:
        return {nullptr, FileProblem::other, "a part of its path is not a folder"};
    case EISDIR:
        return {nullptr, FileProblem::folder, "it is a folder, not a file"};
    default:
        return {nullptr, FileProblem::other, std::strerror(error)};
    }
}

OpenedFile notRegular(unsigned mode)
{
    if (S_ISDIR(mode))
        return {nullptr, FileProblem::folder, "it is a folder, not a file"};
    if (S_ISFIFO(mode))
        return {nullptr, FileProblem::notRegular, "it is a FIFO, not a regular file"};
    if (S_ISCHR(mode))
        return {nullptr, FileProblem::notRegular, "it is a character device, not a regular file"};
    if (S_ISBLK(mode))
        return {nullptr, FileProblem::notRegular, "it is a block device, not a regular file"};
    if (S_ISSOCK(mode))
        return {nullptr, FileProblem::notRegular, "it is a socket, not a regular file"};
    return {nullptr, FileProblem::notRegular, "it is not a regular file"};
}

} // namespace

OpenedFile openRegularFile(const char* path)
{
    struct stat info;
    if (stat(path, &info) != 0)
        return failure(errno, path);
    if (!S_ISREG(info.st_mode))
        return notRegular(info.st_mode); // not even opened: that alone could wait
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failure(errno, path);
    if (fstat(fd, &info) != 0) {
        const int error = errno;
        close(fd);
        return failure(error, nullptr);
    }
    if (!S_ISREG(info.st_mode)) {
        close(fd); // replaced since the stat: the non-blocking open did not wait
        return notRegular(info.st_mode);
    }
    // A regular file's reads never wait; the flag goes so that the stream behaves as usual.
    const int flags = fcntl(fd, F_GETFL);
    if (flags != -1)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (!file) {
        const int error = errno;
        close(fd);
        return failure(error, nullptr);
    }
    return {file, FileProblem::none, nullptr};
}

} // namespace ollendor
