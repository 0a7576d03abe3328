#include "convert/ChunkQueue.h"

void ChunkQueue::Push(std::string chunk) {
    const std::lock_guard lock(m_mutex);
    m_chunks.push_back(std::move(chunk));
}

std::vector<std::string> ChunkQueue::TakeAll() {
    std::vector<std::string> taken;
    const std::lock_guard lock(m_mutex);
    taken.swap(m_chunks);
    return taken;
}
