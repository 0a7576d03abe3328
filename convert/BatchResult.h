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
    // What the user should know of a written output: its exact cut began at a key frame instead
    // ("cut at the key frame at 00:05:00.000 (interlaced video)"); empty for none.
    std::string notice = {};
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

// What is known of the run besides its output.
struct RunFacts {
    std::string transcoderError; // the last error line the transcoder printed, or empty
    int endSignal = 0;           // the signal that ended the transcoder, or 0
    bool sourceChanged = false;  // the source's size is no longer the size shown in its row
    // A copy that began at a key frame before the start runs this much longer than asked.
    int64_t leadMs = 0;
};

// Judges one finished transcoder run. The output must exist, decode and last the expected time
// within a second. A failure carries what was found, the likeliest cause first: the signal that
// killed the transcoder, a source changed since it was added, the error the transcoder printed,
// else what the output check found.
RowResult JudgeOutput(RowResult base, const OutputFacts& facts, int64_t expectedSeconds, const RunFacts& run);

// "mm:ss" (or "h:mm:ss" from an hour on) of a length in milliseconds, for "stopped at".
std::string StoppedAtText(int64_t milliseconds);

// The output path of a command line: its last argument.
std::string OutputPathOf(const std::string& commandLine);
// The command line with its last argument, the output path, replaced by `path`; the empty text when
// the command line does not end with its output path quoted as the command builder quotes it.
std::string WithOutputPath(const std::string& commandLine, const std::string& path);

// Keeps the last lines of a transcoder's output, to name what went wrong when its output fails
// the check.
class TranscoderTail {
public:
    void Add(const std::string& chunk);
    void Clear() { m_text.clear(); }
    // The last line that reports an error ("Error: ...", or any line naming an error); empty when
    // the transcoder printed none. Stream headers and status lines are no errors.
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

// The summary's lines for the rows with a notice: "clip.mp4: cut at the key frame at ...", one a
// line; empty when no row has one.
std::string NoticesText(const std::vector<RowResult>& rows);

// One log.txt line for a failed row.
std::string FailureLogLine(const RowResult& result);
// The desktop notification's body: the counts of the batch.
std::string CountsText(const BatchResults& results);
