// The files of a folder and its subfolders, in path order, whose names fit one of a set of
// patterns. Links are followed, but a folder is never entered twice: a link that leads back
// into the search is skipped, and so are folders that cannot be read and files that are not
// plain files.
#pragma once

#include <sys/types.h>

#include <compare>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

// Which file a path leads to, whatever the path.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    auto operator<=>(const FileIdentity &) const = default;
};

enum class SkipReason { Binary, TooLarge, Unreadable, Loop, HiddenFolder };

struct WalkedFile {
    std::string path;
    FileIdentity identity;
    std::int64_t size = 0;
};

class FileWalker {
public:
    // Files larger than this are skipped.
    static constexpr std::int64_t kLargestFile = std::int64_t(2) << 30;

    // patterns: file-name patterns with * ? [...] as a shell has them; none matches every file.
    explicit FileWalker(std::vector<std::string> patterns);

    // "*.lua; *.txt" as the pattern list it names, blanks around each pattern dropped.
    static std::vector<std::string> SplitPatterns(const std::string &text);
    bool NameFits(const char *name) const;
    // Folders below the start whose names begin with "." (.git and the like) are passed over,
    // with the reason HiddenFolder, unless entered is true.
    void EnterHiddenFolders(bool entered) { m_enterHidden = entered; }
    // Folders never entered, whatever leads to them (the program's own state, say); said nothing of.
    void ExcludeFolders(std::set<FileIdentity> folders) { m_excluded = std::move(folders); }

    // Calls onFile for each fitting file in path order, until it returns false; onSkip for
    // each file or folder passed over. False when the folder itself cannot be read.
    bool Walk(const std::string &folder, const std::function<bool(const WalkedFile &)> &onFile,
              const std::function<void(SkipReason, const std::string &)> &onSkip);

private:
    bool WalkFolder(const std::string &folder);

    std::vector<std::string> m_patterns;
    std::set<FileIdentity> m_entered;
    std::set<FileIdentity> m_excluded;
    bool m_enterHidden = false;
    const std::function<bool(const WalkedFile &)> *m_onFile = nullptr;
    const std::function<void(SkipReason, const std::string &)> *m_onSkip = nullptr;
    bool m_stopped = false;
};
