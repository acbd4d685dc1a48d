// Runs a folder search on a thread of its own. The window takes what was found so far whenever
// it likes; nothing the worker does waits for the window.
#pragma once

#include "search/foldersearch.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class SearchWorker {
public:
    SearchWorker() = default;
    ~SearchWorker();
    SearchWorker(const SearchWorker &) = delete;
    SearchWorker &operator=(const SearchWorker &) = delete;

    // Starts a search; one still running is stopped first.
    void Start(FolderSearchRequest request);
    // Asks the search to end soon; Finished() says when it has.
    void Stop();
    bool IsRunning() const { return m_thread.joinable() && !Finished(); }
    bool Finished() const;
    // The files found since the last call, in path order.
    std::vector<FileMatches> TakeFound();
    std::size_t FilesSearched() const;
    // Valid once Finished().
    FolderSearchSummary Summary() const;

private:
    // Shared with the thread; Start and the destructor wait for the thread before letting go.
    struct State {
        std::atomic<bool> stop{false};
        std::atomic<bool> finished{false};
        std::atomic<std::size_t> filesSearched{0};
        std::mutex lock;
        std::vector<FileMatches> found;
        FolderSearchSummary summary;
    };

    void Join();

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};
