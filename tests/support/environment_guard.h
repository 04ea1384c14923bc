// An environment variable set (or unset) for the life of a test, then put back as it was.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace ollendor {

class EnvironmentGuard {
public:
    EnvironmentGuard(const char* name, const std::optional<std::string>& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~EnvironmentGuard()
    {
        if (old_)
            setenv(name_.c_str(), old_->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

} // namespace ollendor
