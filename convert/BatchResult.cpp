#include "convert/BatchResult.h"

#include <algorithm>
#include <cstdlib>

#include "support/CommandLine.h"
#include "support/Text.h"

namespace {

constexpr int64_t MillisecondsPerSecond = 1000;
// The output may differ from the asked length by this much (frame and packet boundaries).
constexpr int64_t LengthToleranceMs = 1000;
// Enough of the output's end to hold its last few lines.
constexpr std::size_t TailBytes = 4096;
constexpr const char* StatusMarker = "time=";

// Seconds with one decimal: "1.0 s".
std::string SecondsText(int64_t milliseconds) {
    const int64_t tenths = (milliseconds + 50) / 100;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
}

bool NamesAnError(const std::string& line) {
    return AsciiLower(line).find("error") != std::string::npos;
}

std::string OneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return TrimControls(text);
}

std::string CheckFinding(const OutputFacts& facts, int64_t expectedSeconds, int64_t leadMs) {
    if (!facts.exists)
        return "no output file was written";
    if (facts.durationMs <= 0)
        return "the output file cannot be decoded";
    const int64_t expectedMs = expectedSeconds * MillisecondsPerSecond + leadMs;
    if (std::llabs(facts.durationMs - expectedMs) > LengthToleranceMs)
        return "the output lasts " + SecondsText(facts.durationMs) + " of " + SecondsText(expectedMs);
    return {};
}

} // namespace

int64_t ExpectedOutputSeconds(int64_t cutSeconds, int64_t startSeconds, int64_t sourceSeconds) {
    if (sourceSeconds <= 0)
        return std::max<int64_t>(cutSeconds, 0);
    return std::clamp<int64_t>(std::min(cutSeconds, sourceSeconds - startSeconds), 0, cutSeconds);
}

RowResult JudgeOutput(RowResult base, const OutputFacts& facts, int64_t expectedSeconds,
                      const RunFacts& run) {
    base.sizeBytes = facts.exists ? facts.sizeBytes : 0;
    base.lengthMs = facts.durationMs;
    const std::string finding = CheckFinding(facts, expectedSeconds, run.leadMs);
    if (finding.empty()) {
        base.outcome = RowOutcome::Converted;
        base.reason.clear();
        return base;
    }
    base.outcome = RowOutcome::Failed;
    if (run.endSignal != 0)
        base.reason = "the transcoder was killed by signal " + std::to_string(run.endSignal);
    else if (run.sourceChanged)
        base.reason = "the source changed after it was added";
    else
        base.reason = run.transcoderError.empty() ? finding : OneLine(run.transcoderError);
    return base;
}

std::string StoppedAtText(int64_t milliseconds) {
    const int64_t seconds = std::max<int64_t>(milliseconds, 0) / MillisecondsPerSecond;
    const auto two = [](int64_t value) { return (value < 10 ? "0" : "") + std::to_string(value); };
    const std::string minutesAndSeconds = two(seconds / 60 % 60) + ":" + two(seconds % 60);
    return seconds >= 3600 ? std::to_string(seconds / 3600) + ":" + minutesAndSeconds : minutesAndSeconds;
}

std::string OutputPathOf(const std::string& commandLine) {
    const std::vector<std::string> arguments = SplitCommandLine(commandLine);
    return arguments.size() > 1 ? arguments.back() : std::string();
}

std::string WithOutputPath(const std::string& commandLine, const std::string& path) {
    const std::string quoted = QuoteArgument(OutputPathOf(commandLine));
    if (quoted.size() >= commandLine.size() ||
        commandLine.compare(commandLine.size() - quoted.size(), quoted.size(), quoted) != 0)
        return {};
    return commandLine.substr(0, commandLine.size() - quoted.size()) + QuoteArgument(path);
}

void TranscoderTail::Add(const std::string& chunk) {
    m_text += chunk;
    if (m_text.size() > TailBytes)
        m_text.erase(0, m_text.size() - TailBytes);
}

std::string TranscoderTail::LastErrorLine() const {
    std::string line;
    std::size_t end = m_text.size();
    while (end > 0) {
        const std::size_t start = m_text.find_last_of("\r\n", end - 1);
        const std::size_t first = start == std::string::npos ? 0 : start + 1;
        line = TrimControls(m_text.substr(first, end - first));
        if (!line.empty() && line.find(StatusMarker) == std::string::npos && NamesAnError(line))
            return line;
        if (start == std::string::npos)
            break;
        end = start;
    }
    return {};
}

bool BatchResults::Has(std::size_t row) const {
    return std::any_of(m_rows.begin(), m_rows.end(), [row](const RowResult& r) { return r.row == row; });
}

int BatchResults::Count(RowOutcome outcome) const {
    return static_cast<int>(std::count_if(m_rows.begin(), m_rows.end(),
                                          [outcome](const RowResult& r) { return r.outcome == outcome; }));
}

std::string NoticesText(const std::vector<RowResult>& rows) {
    std::string text;
    for (const RowResult& row : rows) {
        if (row.notice.empty())
            continue;
        const std::size_t slash = row.source.rfind('/');
        text += (text.empty() ? "" : "\n") + row.source.substr(slash == std::string::npos ? 0 : slash + 1) +
                ": " + row.notice;
    }
    return text;
}

std::string FailureLogLine(const RowResult& result) {
    return OneLine("Convert failed: " + result.source + " -> " + result.output + ": " + result.reason);
}

std::string CountsText(const BatchResults& results) {
    std::string text = std::to_string(results.Count(RowOutcome::Converted)) + " converted";
    if (const int failed = results.Count(RowOutcome::Failed); failed > 0)
        text += ", " + std::to_string(failed) + " failed";
    if (const int skipped = results.Count(RowOutcome::NotConverted); skipped > 0)
        text += ", " + std::to_string(skipped) + " not converted";
    return text + ".";
}
