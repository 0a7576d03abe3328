#pragma once

#include <mutex>
#include <string>
#include <vector>

// Output chunks on their way from the worker to the user-interface thread. Pushing only takes a
// short lock, so the worker never waits for the user-interface thread.
class ChunkQueue {
public:
    void Push(std::string chunk);
    // Everything pushed so far, oldest first; the queue is empty afterwards.
    std::vector<std::string> TakeAll();

private:
    std::mutex m_mutex;
    std::vector<std::string> m_chunks;
};
