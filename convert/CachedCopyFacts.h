#pragma once

#include <string>

#include "sources/CopySource.h"
#include "sources/CopySourceCache.h"

// The facts a copy of every stream reads, from the cache the source list's views share, so the
// command line, the pre-flight and the tooltip see the key frames the grid shows.
class CachedCopyFacts final : public CopySourceProbe {
public:
    // UntilRead waits (serving window events) until the file is read, for the batch; Never asks for
    // it and answers at once, with no container while it is being read, for a tooltip.
    enum class Wait { UntilRead, Never };

    CachedCopyFacts(CopySourceCache& cache, Wait wait) : m_cache(cache), m_wait(wait) {}

    CopySourceFacts Probe(const std::string& path) override {
        if (m_wait == Wait::UntilRead)
            m_cache.WaitForFacts({path});
        else
            m_cache.Request(path);
        const CopySourceFacts* facts = m_cache.FactsOf(path);
        return facts != nullptr ? *facts : CopySourceFacts{};
    }

private:
    CopySourceCache& m_cache;
    const Wait m_wait;
};
