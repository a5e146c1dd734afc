#pragma once
// Waiting for a condition that another thread or process makes true.
#include <chrono>
#include <thread>

namespace korvana::test {

// Checks the condition every 20 ms for up to limitMs; true once it holds.
template <class Condition> bool Eventually(Condition condition, int limitMs = 20000)
{
    for (int waited = 0; waited < limitMs; waited += 20) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

} // namespace korvana::test
