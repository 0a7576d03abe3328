#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "settings/MainChoices.h"
#include "sources/CopySource.h"

// The output type that copies every stream as it is: its container, how it cuts and what it writes.

// The output's extension, from the container the source was read with: MP4/MOV stay ".mp4",
// Matroska ".mkv" (".webm" when the source is called so), MPEG-TS ".ts", anything else ".mkv".
std::string CopyOutputExtension(const std::string& container, const std::string& sourcePath);

// The option that asks the transcoder for an exact cut; nothing for a cut at key frames, which is
// what it does unasked.
std::string CutModeOption(CutMode mode);

// The copied bytes of a cut from `startMs` to `endMs`: the source's bytes in proportion to the
// time the output really spans; 0 for a source whose size or duration is not known.
int64_t CopyProjectedBytes(const CopySourceFacts& facts, int64_t startMs, int64_t endMs, CutMode mode);

// What the summary says of a row whose exact cut had to start at a key frame instead:
// "cut at the key frame at 00:05:00.000 (interlaced video)".
std::string KeyFrameCutNotice(const std::string& keyFrameTime, const std::string& reason);

// The same notice read from the transcoder's own line ("Warning: exact cut not possible (REASON);
// the cut starts at the key frame at HH:MM:SS.mmm"); no value for any other line.
std::optional<std::string> KeyFrameCutNoticeOf(const std::string& line);

// Watches a transcoder's output, chunk by chunk, for the line that says an exact cut was not
// possible; lines may be split across chunks.
class CutFallbackWatch {
public:
    void Clear();
    void Add(const std::string& chunk);
    // The notice of the last such line seen; empty when none was.
    const std::string& Notice() const { return m_notice; }

private:
    std::string m_partial; // the line not yet ended
    std::string m_notice;
};
