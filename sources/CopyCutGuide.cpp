#include "sources/CopyCutGuide.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "support/Text.h"

namespace {

constexpr int64_t MsPerSecond = 1000;
// A position this close to a key frame counts as at it: the preview reports its position rounded
// down, a hair before the picture it shows.
constexpr int64_t NearMs = 5;

std::string ThreeDigits(int64_t value) {
    std::string digits = std::to_string(value);
    return std::string(3 - std::min<std::size_t>(3, digits.size()), '0') + digits;
}

// "2.040 s"
std::string SpanText(int64_t ms) {
    return std::to_string(ms / MsPerSecond) + "." + ThreeDigits(ms % MsPerSecond) + " s";
}

} // namespace

CopyCutGuide::CopyCutGuide(CopySourceCache& cache, const MainChoices& choices, std::function<bool()> copying)
    : m_cache(cache), m_choices(choices), m_copying(std::move(copying)) {}

const CopySourceFacts* CopyCutGuide::Facts(const std::string& path) const {
    if (!Copying())
        return nullptr;
    const CopySourceFacts* facts = m_cache.FactsOf(path);
    if (facts == nullptr)
        m_cache.Request(path);
    return facts;
}

void CopyCutGuide::Prefetch(const std::string& path) const {
    static_cast<void>(Facts(path));
}

std::optional<CopyCutGuide::ShownStart> CopyCutGuide::RealStart(const std::string& path,
                                                                const std::string& startText) const {
    const CopySourceFacts* facts = Facts(path);
    const std::optional<int64_t> seconds = TryTimeTextToSeconds(startText);
    if (facts == nullptr || !seconds)
        return std::nullopt;
    const int64_t startMs = *seconds * MsPerSecond;
    const int64_t realMs = RealStartMs(path, startMs);
    if (realMs == startMs)
        return std::nullopt;
    std::string why = "Without re-encoding, the output starts at the key frame at " +
                      MillisecondsToTimeText(realMs) + ", " + SpanText(startMs - realMs) +
                      " before the start time " + startText + ".";
    if (m_choices.Cut() == CutMode::Exact)
        why += " An exact cut is not possible for this file (" + facts->exactCutRefusal + ").";
    return ShownStart{MillisecondsToTimeText(realMs) + " (key frame)", why};
}

int64_t CopyCutGuide::RealStartMs(const std::string& path, int64_t startMs) const {
    const CopySourceFacts* facts = Facts(path);
    return facts == nullptr ? startMs : CopyCutStartMs(*facts, startMs, m_choices.Cut());
}

const std::vector<int64_t>& CopyCutGuide::KeyFramesMs(const std::string& path) const {
    static const std::vector<int64_t> none;
    const CopySourceFacts* facts = Facts(path);
    return facts == nullptr ? none : facts->keyFramesMs;
}

int64_t CopyCutGuide::SnappedStartSeconds(const std::string& path, int64_t positionMs) const {
    const CopySourceFacts* facts = Facts(path);
    const int64_t plain = positionMs / MsPerSecond;
    if (facts == nullptr || facts->audioOnly || facts->keyFramesMs.empty() ||
        (m_choices.Cut() == CutMode::Exact && facts->exactCutPossible))
        return plain;
    const int64_t keyMs = CopyCutStartMs(*facts, positionMs + NearMs, CutMode::KeyFrames);
    // The first whole second at or after the key frame: the last key frame at or before it is this one.
    return (keyMs + MsPerSecond - 1) / MsPerSecond;
}

std::optional<int64_t> CopyCutGuide::NeighbourKeyFrameMs(const std::string& path, int64_t positionMs,
                                                         bool forward) const {
    const std::vector<int64_t>& keys = KeyFramesMs(path);
    if (forward) {
        const auto after = std::upper_bound(keys.begin(), keys.end(), positionMs + NearMs);
        return after == keys.end() ? std::nullopt : std::optional<int64_t>(*after);
    }
    const auto atOrAfter = std::lower_bound(keys.begin(), keys.end(), positionMs - NearMs);
    return atOrAfter == keys.begin() ? std::nullopt : std::optional<int64_t>(*std::prev(atOrAfter));
}
