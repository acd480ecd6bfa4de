#include "writequeue.h"

#include <QFileInfo>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace quill::files {

namespace {

// One thread and the jobs waiting for it. It lives until the program's static objects go, and
// does every job handed in before it stops.
class Writer {
public:
    ~Writer()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    void post(std::function<void()> job)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_jobs.push_back(std::move(job));
            ++m_handedIn;
            if (!m_thread.joinable())
                m_thread = std::thread([this] { run(); });
        }
        m_wake.notify_all();
    }

    void waitUntilDone()
    {
        std::unique_lock lock(m_mutex);
        const quint64 target = m_handedIn;
        m_done.wait(lock, [&] { return m_finished >= target; });
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            std::function<void()> job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            job();
            job = nullptr; // what the job held goes here, not under the lock
            lock.lock();
            ++m_finished;
            m_done.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<std::function<void()>> m_jobs;
    quint64 m_handedIn = 0;
    quint64 m_finished = 0;
    bool m_stopping = false;
    std::thread m_thread;
};

Writer &writer()
{
    static Writer theWriter;
    return theWriter;
}

} // namespace

void writeInTurn(std::function<void()> job)
{
    writer().post(std::move(job));
}

void waitForWrites()
{
    writer().waitUntilDone();
}

void writeLater(const QString &path, QByteArray bytes, Flush flush)
{
    writeInTurn([path = QString(path), bytes = std::move(bytes), flush] {
        if (makeFolder(QFileInfo(path).absolutePath()))
            return;
        (void)writeAtomically(path, bytes, Names::KeepTogether, flush);
    });
}

} // namespace quill::files
