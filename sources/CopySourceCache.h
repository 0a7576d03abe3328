#pragma once

#include <string>
#include <vector>

#include "sources/CopySource.h"

// The facts of the listed sources for a cut without re-encoding: read once per file (in the
// background in the program) and kept for the session, so that the grid, the trim bar, the command
// line and the pre-flight all see the same key frames.
class CopySourceCache {
public:
    virtual ~CopySourceCache() = default;
    // Starts reading the file's facts unless they are known or being read.
    virtual void Request(const std::string& path) = 0;
    // The facts once read; null until then. The facts never change and stay where they are while the
    // cache lives.
    virtual const CopySourceFacts* FactsOf(const std::string& path) const = 0;
    // Requests the files whose facts are not known and lets window events run until every file
    // asked for is read.
    virtual void WaitForFacts(const std::vector<std::string>& paths) = 0;
};
