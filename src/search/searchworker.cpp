#include "searchworker.h"

#include <utility>

SearchWorker::~SearchWorker()
{
    Stop();
    Join();
}

void SearchWorker::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void SearchWorker::Start(FolderSearchRequest request)
{
    Stop();
    Join();
    m_state = std::make_shared<State>();
    m_thread = std::thread([state = m_state, request = std::move(request)] {
        const FolderSearchSummary summary = SearchFolder(
            request,
            [&state](FileMatches &&file) {
                const std::lock_guard<std::mutex> guard(state->lock);
                state->found.push_back(std::move(file));
            },
            state->stop, &state->filesSearched);
        const std::lock_guard<std::mutex> guard(state->lock);
        state->summary = summary;
        state->finished = true;
    });
}

void SearchWorker::Stop()
{
    if (m_state)
        m_state->stop = true;
}

bool SearchWorker::Finished() const
{
    return !m_state || m_state->finished;
}

std::vector<FileMatches> SearchWorker::TakeFound()
{
    if (!m_state)
        return {};
    const std::lock_guard<std::mutex> guard(m_state->lock);
    return std::exchange(m_state->found, {});
}

std::size_t SearchWorker::FilesSearched() const
{
    return m_state ? m_state->filesSearched.load() : 0;
}

FolderSearchSummary SearchWorker::Summary() const
{
    if (!m_state)
        return {};
    const std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->summary;
}
