#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "net/CancelToken.h"
#include "net/ServiceCall.h"

// The one way the client reads a paged list (devices, messages, records, the
// app catalogue): page 1 first; once it has told how many pages there are,
// the others with at most `concurrency` requests in flight, each through a
// request object of its own; the answers are taken strictly in page order.
//
//   PagedLoad load;
//   load.fetch = [](int page, const CancelToken& cancel) {
//       ServiceRequest request;  ... request.cancel = cancel;
//       return CallService(request);
//   };
//   load.accept = [&](int page, ServiceReply& reply) -> std::optional<std::int64_t> {
//       if (!reply.succeeded()) return std::nullopt;   // ends the load here
//       ...read the page...; return pages;             // goes on while page < pages
//   };
//   PagedLoadResult result = RunPagedLoad(load);

// Page requests of one load in flight at once.
inline constexpr int kPagedLoadConcurrency = 6;

// What a PagedLoad starts with: kPagedLoadConcurrency, unless a test asked
// for another (1 makes every load one page after another; 0 restores).
int DefaultPagedLoadConcurrency();
void SetPagedLoadConcurrencyForTesting(int concurrency);

struct PagedLoad {
    // Requests page n (from 1). Runs on worker threads, several at once;
    // must pass `cancel` on to its transfer (ServiceRequest::cancel).
    std::function<ServiceReply(int page, const CancelToken& cancel)> fetch;
    // Takes page n's answer, pages in order, on the thread that runs the
    // load. Returns the page count as it now stands (the load goes on while
    // n is below it), or none to end the load at this page; the pages after
    // it are dropped, whether they had arrived or not.
    std::function<std::optional<std::int64_t>(int page, ServiceReply& reply)> accept;
    // A page count above this is taken as this.
    int maxPages = 1000;
    int concurrency = DefaultPagedLoadConcurrency();
    // Stops the load before the next page is taken and aborts its transfers.
    CancelToken cancel = CurrentTaskToken();
};

enum class PagedLoadEnd {
    Complete, // the last page was taken
    Ended, // `accept` ended the load
    Cancelled, // the token was cancelled first
};

struct PagedLoadResult {
    PagedLoadEnd end = PagedLoadEnd::Complete;
    int pagesTaken = 0; // pages handed to `accept`
};

// Returns once no request of the load is in flight any more.
PagedLoadResult RunPagedLoad(const PagedLoad& load);
