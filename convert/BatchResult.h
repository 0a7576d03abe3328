#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What became of one checked row of a batch.
enum class RowOutcome {
    Converted,    // the output exists, decodes and lasts what was asked
    Failed,       // the transcoder ran and the output is missing, broken or of the wrong length
    NotConverted, // never started: found bad before the batch, or the batch was stopped
};

struct RowResult {
    std::size_t row = 0;
    std::string source;
    std::string output; // empty when no command line was built
    RowOutcome outcome = RowOutcome::NotConverted;
    std::string reason; // why it is not Converted
    int64_t sizeBytes = 0;
    int64_t lengthMs = 0;
};

// What the duration probe and the file system tell about a written output.
struct OutputFacts {
    bool exists = false;
    int64_t sizeBytes = 0;
    int64_t durationMs = 0; // 0 when it cannot be decoded
};

// How long the output must last: the row's cut time, or less where the source ends earlier
// (its measured duration minus the start). A duration of 0 means unknown.
int64_t ExpectedOutputSeconds(int64_t cutSeconds, int64_t startSeconds, int64_t sourceSeconds);

// Judges one finished transcoder run. The output must exist, decode and last the expected time
// within a second. A failure carries the transcoder's last error line when it left one, else what
// the check found.
RowResult JudgeOutput(RowResult base, const OutputFacts& facts, int64_t expectedSeconds,
                      const std::string& transcoderError);

// The output path of a command line: its last argument.
std::string OutputPathOf(const std::string& commandLine);

// Keeps the last lines of a transcoder's output, to name what went wrong when its output fails
// the check.
class TranscoderTail {
public:
    void Add(const std::string& chunk);
    void Clear() { m_text.clear(); }
    // The last non-empty line that is no status line ("... time=..."); empty when there is none.
    std::string LastErrorLine() const;

private:
    std::string m_text;
};

// The results of one batch, in the order the rows were met.
class BatchResults {
public:
    void Clear() { m_rows.clear(); }
    void Add(RowResult result) { m_rows.push_back(std::move(result)); }
    const std::vector<RowResult>& Rows() const { return m_rows; }
    bool Has(std::size_t row) const;
    int Count(RowOutcome outcome) const;
    bool AllConverted() const { return Count(RowOutcome::Converted) == static_cast<int>(m_rows.size()); }

private:
    std::vector<RowResult> m_rows;
};

// One log.txt line for a failed row.
std::string FailureLogLine(const RowResult& result);
// The desktop notification's body: the counts of the batch.
std::string CountsText(const BatchResults& results);
