#pragma once
// Points HOME and XDG_CONFIG_HOME into a temporary folder for one test and
// restores them afterwards.

#include "TestUtil.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace mv::test {

class TScopedEnv {
public:
    TScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        Set(value);
    }
    ~TScopedEnv() { Set(old_); }
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
    void Set(const std::optional<std::string>& value) {
        if (value)
            ::setenv(name_, value->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    const char* name_;
    std::optional<std::string> old_;
};

// A temporary home folder without a config folder override.
struct TTempHome {
    TTempDir Dir;
    std::string Home = Dir.Path().string();
    TScopedEnv HomeVar{"HOME", Home};
    TScopedEnv ConfigVar{"XDG_CONFIG_HOME", std::nullopt};
};

} // namespace mv::test
