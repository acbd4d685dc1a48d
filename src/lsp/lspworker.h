// A thread of its own for the language server's answers that read a whole script or every open
// script (symbols, folding ranges), so that the thread reading messages goes on answering the
// requests about one place while such an answer is made.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class LspWorker {
public:
    LspWorker();
    // Waits for the job running now; jobs not yet started are dropped.
    ~LspWorker();
    LspWorker(const LspWorker &) = delete;
    LspWorker &operator=(const LspWorker &) = delete;

    // Runs job after the jobs posted before it.
    void Post(std::function<void()> job);

private:
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;
    std::thread m_thread; // last, so it starts after everything it uses
};
