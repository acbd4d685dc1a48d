#include "filewalker.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace {

std::string Trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The names in a folder; false when the folder cannot be read.
bool ReadNames(const std::string &folder, std::vector<std::string> &names)
{
    DIR *dir = opendir(folder.c_str());
    if (!dir)
        return false;
    while (const dirent *entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    return true;
}

std::string Joined(const std::string &folder, const std::string &name)
{
    return folder.ends_with('/') ? folder + name : folder + '/' + name;
}

} // namespace

FileWalker::FileWalker(std::vector<std::string> patterns) : m_patterns(std::move(patterns)) {}

std::vector<std::string> FileWalker::SplitPatterns(const std::string &text)
{
    std::vector<std::string> patterns;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string pattern = Trimmed(text.substr(start, end - start));
        if (!pattern.empty())
            patterns.push_back(pattern);
        start = end + 1;
    }
    return patterns;
}

bool FileWalker::NameFits(const char *name) const
{
    if (m_patterns.empty())
        return true;
    return std::any_of(m_patterns.begin(), m_patterns.end(),
                       [name](const std::string &pattern) { return fnmatch(pattern.c_str(), name, 0) == 0; });
}

bool FileWalker::Walk(const std::string &folder, const std::function<bool(const WalkedFile &)> &onFile,
                      const std::function<void(SkipReason, const std::string &)> &onSkip)
{
    m_onFile = &onFile;
    m_onSkip = &onSkip;
    m_stopped = false;
    m_entered.clear();
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    m_entered.insert({info.st_dev, info.st_ino});
    return WalkFolder(folder);
}

bool FileWalker::WalkFolder(const std::string &folder)
{
    std::vector<std::string> names;
    if (!ReadNames(folder, names))
        return false;
    struct Entry {
        std::string key; // the name, with a "/" after a folder's: the order of the paths below
        std::string path;
        bool found = false;
        struct stat info {};
    };
    std::vector<Entry> entries(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        Entry &entry = entries[i];
        entry.path = Joined(folder, names[i]);
        entry.found = stat(entry.path.c_str(), &entry.info) == 0;
        entry.key = entry.found && S_ISDIR(entry.info.st_mode) ? names[i] + '/' : names[i];
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.key < b.key; });
    for (const Entry &entry : entries) {
        if (m_stopped)
            return true;
        const char *name = entry.path.c_str() + entry.path.rfind('/') + 1;
        if (!entry.found) { // a link to nothing, or a file gone meanwhile
            if (NameFits(name))
                (*m_onSkip)(SkipReason::Unreadable, entry.path);
            continue;
        }
        const struct stat &info = entry.info;
        if (S_ISDIR(info.st_mode)) {
            if (m_excluded.count({info.st_dev, info.st_ino}))
                continue;
            if (name[0] == '.' && !m_enterHidden)
                (*m_onSkip)(SkipReason::HiddenFolder, entry.path);
            else if (!m_entered.insert({info.st_dev, info.st_ino}).second)
                (*m_onSkip)(SkipReason::Loop, entry.path);
            else if (!WalkFolder(entry.path))
                (*m_onSkip)(SkipReason::Unreadable, entry.path);
            continue;
        }
        // Pipes, devices and sockets are no scripts; reading one could wait for ever.
        if (!S_ISREG(info.st_mode) || !NameFits(name))
            continue;
        if (info.st_size > kLargestFile) {
            (*m_onSkip)(SkipReason::TooLarge, entry.path);
            continue;
        }
        if (!(*m_onFile)(WalkedFile{entry.path, {info.st_dev, info.st_ino}, std::int64_t(info.st_size)}))
            m_stopped = true;
    }
    return true;
}
