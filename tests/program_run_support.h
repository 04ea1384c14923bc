// Shared by the tests that run build/ollendor as a user's shell would, but with the
// platform made hostile: standard descriptors closed, standard error a pipe nobody reads,
// signals sent mid-run, the environment without a display; and by those that need a full
// disk (a tiny tmpfs mounted for the test).
#pragma once

#include <gtest/gtest.h>
#include "tests/support/scratch_files.h"

#include <sys/mount.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace ollendor;

namespace programtest {

using ollendor::readText;
using ollendor::writeText;

inline const std::filesystem::path binaryDir = OLLENDOR_BINARY_DIR;
inline const std::filesystem::path program = binaryDir / "ollendor";
inline const std::filesystem::path testRoms = binaryDir / "testrom";

// How one run is set up.
struct RunSetup {
    explicit RunSetup(std::vector<std::string> arguments) : arguments(std::move(arguments)) {}
    std::vector<std::string> arguments;
    std::vector<int> closed;               // descriptors closed in the child (0, 1, 2)
    int standardError = -1;                // else: this descriptor becomes the child's 2
    std::vector<std::pair<std::string, std::optional<std::string>>> environment; // set / unset
    std::function<void(pid_t)> whileRunning; // called with the child's pid after the start
    std::chrono::seconds timeout{60};      // the child is killed after this
    bool ignoreHangUp = false;             // start with SIGHUP ignored, as nohup does
};

struct RunResult {
    int exitCode = -1;       // when it exited
    int signal = 0;          // when a signal ended it
    bool timedOut = false;   // it was killed after the timeout
    std::string errors;      // what it wrote on standard error (when that was captured)
};

// Runs build/ollendor with the arguments; standard error goes to a file read back into
// errors unless the setup closes it or hands its own descriptor. Signal dispositions are
// reset in the child: what the test runner ignores must not be inherited.
inline RunResult runOllendor(const RunSetup& setup)
{
    char errorsTemplate[] = "/tmp/ollendor-errors-XXXXXX";
    const int errorsFile = ::mkstemp(errorsTemplate);
    const pid_t child = ::fork();
    if (child == 0) {
        for (int signal : {SIGPIPE, SIGHUP, SIGINT, SIGTERM})
            std::signal(signal, SIG_DFL);
        if (setup.ignoreHangUp)
            std::signal(SIGHUP, SIG_IGN);
        for (const auto& [name, value] : setup.environment) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
        ::dup2(setup.standardError >= 0 ? setup.standardError : errorsFile, 2);
        for (int descriptor : setup.closed)
            ::close(descriptor);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : setup.arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    RunResult result;
    if (child < 0)
        return result;
    if (setup.whileRunning)
        setup.whileRunning(child);
    const auto deadline = std::chrono::steady_clock::now() + setup.timeout;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    ::close(errorsFile);
    result.errors = readText(errorsTemplate);
    ::unlink(errorsTemplate);
    return result;
}

// A description of how the run ended, for failure messages.
inline std::string describe(const RunResult& result)
{
    std::string text = result.timedOut ? "timed out"
                       : result.signal ? "killed by signal " + std::to_string(result.signal)
                                       : "exit code " + std::to_string(result.exitCode);
    return text + "; stderr: " + result.errors;
}

// A folder of its own for one test, removed afterwards.
class ScratchDir {
public:
    ScratchDir()
    {
        char folderTemplate[] = "/tmp/ollendor-test-XXXXXX";
        if (::mkdtemp(folderTemplate))
            folder = folderTemplate;
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    const std::filesystem::path& path() const { return folder; }

private:
    std::filesystem::path folder;
};

// A tmpfs of a few pages mounted for the test (the tests run as root), to be filled up to
// the last byte. Where mounting is not allowed, mounted() is false and why() says why.
class TinyDisk {
public:
    explicit TinyDisk(unsigned kibibytes = 64)
    {
        if (scratch.path().empty()) {
            reason = "no scratch folder";
            return;
        }
        const std::string options = "size=" + std::to_string(kibibytes) + "k,mode=0755";
        if (::mount("tmpfs", scratch.path().c_str(), "tmpfs", 0, options.c_str()) != 0) {
            reason = std::string("mount: ") + std::strerror(errno);
            return;
        }
        isMounted = true;
    }
    ~TinyDisk()
    {
        if (isMounted)
            ::umount2(scratch.path().c_str(), MNT_DETACH);
    }
    bool mounted() const { return isMounted; }
    const std::string& why() const { return reason; }
    const std::filesystem::path& path() const { return scratch.path(); }

    // Fills every free byte with page-sized files fill-0, fill-1, ...
    void fill()
    {
        const std::string page(4096, 'f');
        for (;; ++fillers) {
            const std::filesystem::path file = path() / ("fill-" + std::to_string(fillers));
            const int descriptor = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (descriptor < 0)
                return;
            const bool whole = ::write(descriptor, page.data(), page.size()) == ssize_t(page.size());
            ::close(descriptor);
            if (!whole) {
                ::unlink(file.c_str());
                return;
            }
        }
    }
    // Frees that many pages again (after fill).
    void freePages(unsigned pages)
    {
        while (pages-- > 0 && fillers > 0)
            ::unlink((path() / ("fill-" + std::to_string(--fillers))).c_str());
    }
    // The names in the folder that are not fillers (what the program left there).
    std::vector<std::string> leftovers() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path()))
            if (entry.path().filename().string().rfind("fill-", 0) != 0)
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    ScratchDir scratch;
    bool isMounted = false;
    std::string reason;
    unsigned fillers = 0; // fill-0 .. fill-(fillers - 1) exist
};

#define OLLENDOR_NEED_TINY_DISK(disk)                                                              \
    if (!(disk).mounted())                                                                         \
    GTEST_SKIP() << "cannot mount a tmpfs here (" << (disk).why() << "); the full-disk case is "  \
                 << "not checked"

} // namespace programtest
