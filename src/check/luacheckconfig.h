// A `.luacheckrc`, the configuration luacheck users already keep beside their scripts: found in
// the script's folder or one above it, run as Lua in a sandbox that cannot reach files,
// programs or modules and is stopped after a bounded number of steps and amount of memory, and
// read for the options the check honours: std, globals, read_globals, ignore, enable,
// unused_args, unused, redefined, allow_defined and max_line_length.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct LuacheckConfig {
    std::string path;                  // the file it came from; empty for none
    bool luaNames = true;              // Lua's standard globals are defined (std is not "none")
    std::vector<std::string> globals;  // globals and read_globals, and those of the stds named
    std::vector<std::string> ignore;   // luacheck patterns: "211", "foo", "21./_.*"
    std::vector<std::string> enable;
    std::optional<bool> unusedArgs;    // set: switches 212 and 213 on or off
    std::optional<bool> unused;        // set: switches the unused-variable and -value warnings
    std::optional<bool> redefined;     // set: switches the redefinition and shadowing warnings
    bool allowDefined = true;          // a global the script sets is defined
    std::size_t maxLineLength = 0;     // 0: lines of any length
    std::vector<std::string> problems; // what was wrong with the file, each naming it

    // Whether a warning of code is on, given what it would be without this file.
    bool Switch(int code, bool on) const;
};

// The limits a configuration file runs within.
struct SandboxLimits {
    std::size_t memory = 32u << 20;
    long instructions = 20'000'000;
};

// Runs the text of a configuration file and reads its options. Never throws, never aborts:
// whatever goes wrong becomes one of the problems.
LuacheckConfig ReadLuacheckConfig(std::string_view text, const std::string &path, const SandboxLimits &limits = {});

// The configuration that applies to a script: the first `.luacheckrc` in its folder or above;
// none when there is none. Links are never followed: a link in place of the file is reported
// and not read; a file larger than maxSize is reported and not read.
std::optional<LuacheckConfig> LoadLuacheckConfigFor(const std::string &scriptPath, std::size_t maxSize = 256 * 1024);

// The configurations of many scripts checked at once, each folder's looked up once.
class LuacheckConfigCache {
public:
    // The configuration for the script, or nullptr when none applies. Valid as long as the cache.
    const LuacheckConfig *For(const std::string &scriptPath);

private:
    std::map<std::string, std::optional<LuacheckConfig>> m_byFolder;
};
