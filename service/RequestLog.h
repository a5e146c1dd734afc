#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "service/Http.h"

namespace service {

// Every request to a service path (test controls excluded), in arrival
// order, so tests can compare the exact bytes the client sent.
class RequestLog {
public:
    struct Entry {
        std::uint64_t sequence = 0;
        HttpRequest request;
    };

    void Add(const HttpRequest& request);
    std::vector<Entry> Entries() const;
    void Clear();

    // The oldest entries go once there are more than this.
    static constexpr std::size_t kMaxEntries = 2000;

private:
    mutable std::mutex m_mutex;
    std::uint64_t m_next = 1;
    std::vector<Entry> m_entries;
};

} // namespace service
