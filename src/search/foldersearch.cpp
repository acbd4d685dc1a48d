#include "foldersearch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// Read in pieces of this size, so Stop is heard within a moment even in a large file.
constexpr std::size_t kPiece = 16 << 20;
constexpr std::size_t kBinaryCheckBytes = 8192;
constexpr std::size_t kLargestKeptBuffer = 4 * kPiece;

enum class ReadResult { Read, Binary, Unreadable, Stopped };

// The whole of the file into the start of buffer, its size into size, unless its start shows it
// binary. The buffer is kept from file to file: filling it anew for each would cost more than
// the reading. Opened without waiting and checked again once open: the walker saw a plain file,
// but a pipe or device could have taken its name since.
ReadResult ReadWhole(const WalkedFile &file, std::string &buffer, std::size_t &size, const std::atomic<bool> &stop)
{
    const int fd = open(file.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return ReadResult::Unreadable;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return ReadResult::Unreadable;
    }
    size = 0;
    for (;;) {
        if (stop.load(std::memory_order_relaxed)) {
            close(fd);
            return ReadResult::Stopped;
        }
        if (buffer.size() - size < kPiece / 4)
            buffer.resize(std::max<std::size_t>(size + kPiece, std::size_t(info.st_size) + kPiece / 4));
        const ssize_t got = read(fd, buffer.data() + size, std::min(kPiece, buffer.size() - size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            close(fd);
            return ReadResult::Unreadable;
        }
        if (got == 0)
            break;
        const bool sawStart = size < kBinaryCheckBytes;
        size += std::size_t(got);
        // A binary file is known by its start: the rest is never read.
        if (sawStart && size >= kBinaryCheckBytes && LooksBinary(std::string_view(buffer.data(), size))) {
            close(fd);
            return ReadResult::Binary;
        }
        if (std::int64_t(size) > FileWalker::kLargestFile)
            break; // grew past the limit while being read: what was read is searched
    }
    close(fd);
    return ReadResult::Read;
}

} // namespace

FolderSearchSummary SearchFolder(const FolderSearchRequest &request, const std::function<void(FileMatches &&)> &onFile,
                                 const std::atomic<bool> &stop, std::atomic<std::size_t> *filesSearched)
{
    FolderSearchSummary summary;
    const TextSearch search(request.needle, request.options);
    std::string buffer;
    std::size_t size = 0;
    auto onSkip = [&summary](SkipReason reason, const std::string &) {
        switch (reason) {
        case SkipReason::Binary: ++summary.binary; break;
        case SkipReason::TooLarge: ++summary.tooLarge; break;
        case SkipReason::Unreadable: ++summary.unreadable; break;
        case SkipReason::Loop: ++summary.loops; break;
        case SkipReason::HiddenFolder: ++summary.hiddenFolders; break;
        }
    };
    auto searchFile = [&](const WalkedFile &file) {
        if (stop.load(std::memory_order_relaxed)) {
            summary.stopped = true;
            return false;
        }
        std::string_view text;
        const auto open = request.openTexts.find(file.identity);
        if (open != request.openTexts.end()) {
            text = open->second;
        } else {
            const ReadResult read = ReadWhole(file, buffer, size, stop);
            if (read == ReadResult::Stopped) {
                summary.stopped = true;
                return false;
            }
            if (read == ReadResult::Unreadable) {
                onSkip(SkipReason::Unreadable, file.path);
                return true;
            }
            text = std::string_view(buffer.data(), size);
            if (read == ReadResult::Binary || LooksBinary(text)) {
                onSkip(SkipReason::Binary, file.path);
                return true;
            }
        }
        ++summary.filesSearched;
        if (filesSearched)
            filesSearched->store(summary.filesSearched, std::memory_order_relaxed);
        // One more than is given tells whether the file has more.
        FileMatches found{file.path, open != request.openTexts.end(),
                          FindLineMatches(text, search, request.mostMatchesPerFile + 1)};
        if (found.matches.size() > request.mostMatchesPerFile) {
            found.matches.resize(request.mostMatchesPerFile);
            found.cut = true;
            ++summary.filesCut;
        }
        if (!found.matches.empty()) {
            ++summary.filesWithMatches;
            summary.matches += found.matches.size();
            onFile(std::move(found));
        }
        if (buffer.size() > kLargestKeptBuffer) // one large file is no reason to hold its size
            std::string().swap(buffer);
        return true;
    };
    FileWalker walker(request.patterns);
    walker.EnterHiddenFolders(request.hiddenFolders);
    std::set<FileIdentity> excluded;
    for (const std::string &folder : request.excludedFolders) {
        struct stat info {};
        if (stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            excluded.insert({info.st_dev, info.st_ino});
    }
    walker.ExcludeFolders(std::move(excluded));
    summary.folderUnreadable = !walker.Walk(request.folder, searchFile, onSkip);
    return summary;
}
