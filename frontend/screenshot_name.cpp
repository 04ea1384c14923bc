#include "frontend/screenshot_name.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace ollendor {

namespace {

// An environment variable that names an absolute path (XDG ignores relative ones).
std::optional<std::filesystem::path> absoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return std::nullopt;
    return std::filesystem::path(value);
}

// The value between the double quotes, with backslash escapes undone; nothing when it is
// not quoted.
std::optional<std::string> unquoted(std::string_view value)
{
    if (value.size() < 2 || value.front() != '"')
        return std::nullopt;
    std::string out;
    for (size_t i = 1; i < value.size(); ++i) {
        if (value[i] == '"')
            return out;
        if (value[i] == '\\' && i + 1 < value.size())
            ++i;
        out += value[i];
    }
    return std::nullopt; // no closing quote
}

} // namespace

std::optional<std::filesystem::path> picturesFolderFromUserDirs(std::string_view text,
                                                                const std::filesystem::path& home)
{
    constexpr std::string_view key = "XDG_PICTURES_DIR=";
    std::optional<std::filesystem::path> found;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.substr(0, key.size()) != key)
            continue;
        const std::optional<std::string> value = unquoted(line.substr(key.size()));
        if (!value)
            continue;
        if (value->rfind("$HOME", 0) == 0 && (value->size() == 5 || (*value)[5] == '/')) {
            if (home.empty())
                continue;
            const std::string rest = value->size() > 6 ? value->substr(6) : std::string();
            found = rest.empty() ? home : home / rest;
        } else if (!value->empty() && value->front() == '/') {
            found = std::filesystem::path(*value);
        }
        // The last line that names a folder holds, as the shell would read it.
    }
    return found;
}

std::filesystem::path screenshotFolder()
{
    if (const auto pictures = absoluteFromEnvironment("XDG_PICTURES_DIR"))
        return *pictures / "ollendor";
    const std::optional<std::filesystem::path> home = absoluteFromEnvironment("HOME");
    std::optional<std::filesystem::path> config = absoluteFromEnvironment("XDG_CONFIG_HOME");
    if (!config && home)
        config = *home / ".config";
    if (config) {
        std::ifstream in(*config / "user-dirs.dirs");
        if (in) {
            const std::string text((std::istreambuf_iterator<char>(in)), {});
            if (const auto pictures = picturesFolderFromUserDirs(text, home.value_or(std::filesystem::path())))
                return *pictures / "ollendor";
        }
    }
    return ".";
}

std::optional<std::filesystem::path> takeScreenshotName(const std::filesystem::path& folder, const std::tm& when,
                                                        std::string& error)
{
    char stamp[40];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H-%M-%S", &when);
    for (int number = 1; number < 1000; ++number) {
        std::string name = "ollendor-";
        name += stamp;
        if (number > 1) {
            name += '-';
            name += std::to_string(number);
        }
        name += ".png";
        const std::filesystem::path path = folder / name;
        // O_EXCL: taken only when nothing, not even a link, has the name.
        const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0) {
            ::close(descriptor);
            return path;
        }
        if (errno != EEXIST) {
            error = std::strerror(errno);
            return std::nullopt;
        }
    }
    error = "every name for a screenshot of this second is taken";
    return std::nullopt;
}

} // namespace ollendor
