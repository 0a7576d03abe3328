#include "convert/CopyCut.h"

#include <algorithm>
#include <cmath>

#include "support/Text.h"

namespace {

constexpr const char* MovFamily = "mov,mp4,m4a,3gp,3g2,mj2";
constexpr const char* MatroskaFamily = "matroska,webm";
constexpr const char* TransportStream = "mpegts";
constexpr const char* ExactCutOption = " -cut exact";
constexpr const char* FallbackHead = "Warning: exact cut not possible (";
constexpr const char* FallbackMiddle = "); the cut starts at the key frame at ";
// A line longer than this is no header line: only its end is kept while it grows.
constexpr std::size_t LongestLine = 4096;

bool EndsWithIgnoringCase(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() && AsciiLower(text.substr(text.size() - ending.size())) == ending;
}

} // namespace

std::string CopyOutputExtension(const std::string& container, const std::string& sourcePath) {
    if (container == MovFamily)
        return ".mp4";
    if (container == MatroskaFamily && EndsWithIgnoringCase(sourcePath, ".webm"))
        return ".webm";
    if (container == TransportStream)
        return ".ts";
    return ".mkv";
}

std::string CutModeOption(CutMode mode) {
    return mode == CutMode::Exact ? ExactCutOption : "";
}

int64_t CopyProjectedBytes(const CopySourceFacts& facts, int64_t startMs, int64_t endMs, CutMode mode) {
    if (facts.durationMs <= 0 || facts.bytes <= 0)
        return 0;
    const int64_t end = std::min(endMs, facts.durationMs);
    const int64_t span = std::max<int64_t>(0, end - CopyCutStartMs(facts, startMs, mode));
    return static_cast<int64_t>(std::llround(static_cast<double>(facts.bytes) * static_cast<double>(span) /
                                             static_cast<double>(facts.durationMs)));
}

std::string KeyFrameCutNotice(const std::string& keyFrameTime, const std::string& reason) {
    return "cut at the key frame at " + keyFrameTime + " (" + reason + ")";
}

std::optional<std::string> KeyFrameCutNoticeOf(const std::string& line) {
    const std::string text = TrimControls(line);
    if (!text.starts_with(FallbackHead))
        return std::nullopt;
    const std::size_t reasonStart = std::string(FallbackHead).size();
    const std::size_t middle = text.rfind(FallbackMiddle);
    if (middle == std::string::npos || middle < reasonStart)
        return std::nullopt;
    const std::string reason = text.substr(reasonStart, middle - reasonStart);
    return KeyFrameCutNotice(text.substr(middle + std::string(FallbackMiddle).size()), reason);
}

void CutFallbackWatch::Clear() {
    m_partial.clear();
    m_notice.clear();
}

// Header lines end in "\n", status lines in "\r"; either ends a line.
void CutFallbackWatch::Add(const std::string& chunk) {
    m_partial += chunk;
    std::size_t begin = 0;
    for (std::size_t end = m_partial.find_first_of("\r\n"); end != std::string::npos;
         end = m_partial.find_first_of("\r\n", begin)) {
        if (auto notice = KeyFrameCutNoticeOf(m_partial.substr(begin, end - begin)))
            m_notice = std::move(*notice);
        begin = end + 1;
    }
    m_partial.erase(0, begin);
    if (m_partial.size() > LongestLine)
        m_partial.erase(0, m_partial.size() - LongestLine);
}
