#include "net/PagedLoad.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/DebugLog.h"

namespace {

std::atomic<int> g_concurrencyForTesting { 0 };

} // namespace

int DefaultPagedLoadConcurrency()
{
    const int forced = g_concurrencyForTesting.load();
    return forced > 0 ? forced : kPagedLoadConcurrency;
}

void SetPagedLoadConcurrencyForTesting(int concurrency)
{
    g_concurrencyForTesting.store(concurrency);
}

namespace {

// The pages of one load past page 1: which is asked for next, which have
// come, and the workers that fetch them.
class PageFetchers {
public:
    PageFetchers(const PagedLoad& load, CancelToken cancel)
        : m_load(load)
        , m_cancel(std::move(cancel))
    {
    }

    ~PageFetchers()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_cv.notify_all();
        // Pages still in flight are no longer wanted.
        m_cancel.Cancel();
        for (std::thread& worker : m_workers)
            worker.join();
    }

    // Pages up to `last` may be asked for; one worker per page after the
    // first, up to the load's concurrency.
    void Allow(int last)
    {
        std::lock_guard lock(m_mutex);
        m_last = last;
        const std::size_t wanted = static_cast<std::size_t>(std::clamp(m_last - 1, 0, m_load.concurrency));
        while (m_workers.size() < wanted) {
            try {
                m_workers.emplace_back([this] { Work(); });
            } catch (const std::system_error&) {
                DebugLogA("paged load: no worker thread\n");
                break;
            }
        }
        m_cv.notify_all();
    }

    // Waits for page `page`'s answer (fetched here when no worker runs).
    ServiceReply Take(int page)
    {
        std::unique_lock lock(m_mutex);
        if (m_workers.empty() && m_next == page) {
            ++m_next;
            lock.unlock();
            return m_load.fetch(page, m_cancel);
        }
        m_cv.wait(lock, [&] { return m_done.count(page) != 0; });
        ServiceReply reply = std::move(m_done[page]);
        m_done.erase(page);
        return reply;
    }

private:
    void Work()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_cv.wait(lock, [&] { return m_finished || m_next <= m_last; });
            if (m_finished)
                return;
            const int page = m_next++;
            lock.unlock();
            ServiceReply reply = m_load.fetch(page, m_cancel);
            lock.lock();
            m_done.emplace(page, std::move(reply));
            m_cv.notify_all();
        }
    }

    const PagedLoad& m_load;
    CancelToken m_cancel;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<std::thread> m_workers;
    std::map<int, ServiceReply> m_done;
    int m_next = 2;
    int m_last = 1;
    bool m_finished = false;
};

} // namespace

PagedLoadResult RunPagedLoad(const PagedLoad& load)
{
    PagedLoadResult result;
    // The load's own token: cancelled with the caller's, and by the load
    // itself when it ends before pages in flight have come.
    const CancelToken cancel = load.cancel.Child();
    auto clamp = [&](std::int64_t pages) {
        return static_cast<int>(std::clamp<std::int64_t>(pages, 0, std::max(1, load.maxPages)));
    };
    if (cancel.IsCancelled()) {
        result.end = PagedLoadEnd::Cancelled;
        return result;
    }
    ServiceReply first = load.fetch(1, cancel);
    if (cancel.IsCancelled()) {
        result.end = PagedLoadEnd::Cancelled;
        return result;
    }
    result.pagesTaken = 1;
    std::optional<std::int64_t> pages = load.accept(1, first);
    if (!pages) {
        result.end = PagedLoadEnd::Ended;
        return result;
    }
    int known = clamp(*pages);
    if (known <= 1)
        return result;

    PageFetchers fetchers(load, cancel);
    fetchers.Allow(known);
    for (int page = 2;; ++page) {
        ServiceReply reply = fetchers.Take(page);
        if (cancel.IsCancelled()) {
            result.end = PagedLoadEnd::Cancelled;
            return result;
        }
        result.pagesTaken = page;
        pages = load.accept(page, reply);
        if (!pages) {
            result.end = PagedLoadEnd::Ended;
            return result;
        }
        known = clamp(*pages);
        if (page >= known)
            return result;
        // A later page may tell a different count; it is what counts from now on.
        fetchers.Allow(known);
    }
}
