#include "convert/ConvertingWindowLogic.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "support/Text.h"

namespace {

constexpr const char* CounterBeforeBatch = "Current: 1, Total: ...";
constexpr const char* StopQuestion = "Are you sure you want to stop the work ? ";
constexpr const char* CloseQuestion = "Are you sure to stop processing ?";
constexpr const char* UnknownTime = "10000000000";
constexpr const char* PreparingText = "Installing convert information";
constexpr const char* ConvertingText = "Converting";
// Below this many seconds of output the transcoder is still preparing.
constexpr int32_t PreparingSeconds = 3;
constexpr int32_t SpinnerFrames = 5;
constexpr const char* SpinnerCharacters[SpinnerFrames] = {"|", "/", "-", "\\", "|"};
// Pieces of a status line split at "=": size, time, bitrate for audio; frame, q, size, time, bitrate else.
// A chunk needs at least the pieces of a whole line up to the bitrate's "=".
constexpr std::size_t AudioTimePiece = 2;
constexpr std::size_t AudioMinimumPieces = 4;
constexpr std::size_t VideoTimePiece = 4;
constexpr std::size_t VideoMinimumPieces = 5;
constexpr int64_t MsPerSecond = 1000;

int32_t Saturate(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool IsAudioOnly(const std::string& codecOption, const std::string& outputExtension) {
    return TrimControls(codecOption).starts_with("-acodec") && outputExtension != ".3gp";
}

} // namespace

std::optional<int32_t> OutputSeconds(const std::string& chunk, const std::string& codecOption,
                                     const std::string& outputExtension) {
    if (chunk.empty())
        return std::nullopt;
    const std::vector<std::string> pieces = SplitText(chunk, '=');
    const bool audioOnly = IsAudioOnly(codecOption, outputExtension);
    const std::size_t wanted = audioOnly ? AudioTimePiece : VideoTimePiece;
    if (pieces.size() < (audioOnly ? AudioMinimumPieces : VideoMinimumPieces))
        return std::nullopt;
    const std::vector<std::string> parts = SplitText(pieces[wanted], '.');
    if (parts.empty() || parts.front() == UnknownTime)
        return std::nullopt;
    try {
        const double seconds = std::trunc(ParseNumber(parts.front()));
        return Saturate(static_cast<int64_t>(std::clamp(seconds, -1e15, 1e15)));
    } catch (const std::invalid_argument&) {
        // Not a time the bar can show: the bar stays where it is.
        return std::nullopt;
    }
}

void ConvertingWindowLogic::Show() {
    if (!m_state.visible) {
        m_state.visible = true;
        FormShow();
    }
    m_state.Changed();
    m_view.ShowProgress();
}

void ConvertingWindowLogic::Hide() {
    m_state.visible = false;
    m_state.Changed();
    m_view.HideProgress();
}

void ConvertingWindowLogic::FormShow() {
    m_state.SpinnerFrame = 0;
    m_state.lblCurFileName = m_batchState.SourcePath;
    m_state.lblPersent = "Current: 1, Total: " + std::to_string(m_batchState.CheckedCount);
    m_state.ProgressBar1.SetMaximum(1);
    m_state.ProgressBar1.SetPosition(0);
    m_state.pbTotal.SetMaximum(1);
    m_state.pbTotal.SetPosition(0);
    m_state.Changed();
}

void ConvertingWindowLogic::ShowOutput(const std::string& chunk) {
    m_state.statState = chunk;
    m_state.lblCurFileName = m_batchState.SourcePath;
    actRefreshProgressExecute();
}

void ConvertingWindowLogic::actRefreshProgressExecute() {
    ++m_batchState.ChunkCount;
    // The first chunk of every file is the transcoder's banner: it moves nothing.
    if (m_batchState.ChunkCount <= 1)
        return;
    UpdateBatchBar();
    UpdateFileBar();
    RefreshBatchBar();
    m_state.Changed();
}

// Uses the file bar's position from the previous chunk, so a file adds 0 to 99 to the batch bar.
// A batch weighed by cut time sets the batch bar from the weights instead (RefreshBatchBar).
void ConvertingWindowLogic::UpdateBatchBar() {
    const ProgressBarState& file = m_state.ProgressBar1;
    const int64_t divisor = int64_t{file.maximum} + 1;
    if (divisor != 0 && !m_weights.Weighed()) {
        m_state.pbTotal.SetMaximum(Saturate(int64_t{m_batchState.CheckedCount} * 100));
        m_state.pbTotal.SetPosition(
            Saturate(int64_t{file.position} * 100 / divisor + int64_t{m_batchState.FilesDone} * 100));
    }
    m_state.lblPersent = "Current: " + std::to_string(int64_t{m_batchState.FilesDone} + 1) +
                         " , Total: " + std::to_string(m_batchState.CheckedCount) + ".";
}

void ConvertingWindowLogic::UpdateFileBar() {
    const ConvertCommand& command = m_batchState.command;
    const auto duration = WholeNumber(command.DurationText);
    if (!duration)
        return;
    // A copy that begins at an earlier key frame writes its lead too.
    const int64_t leadSeconds = (std::max<int64_t>(command.LeadMs, 0) + MsPerSecond - 1) / MsPerSecond;
    m_state.ProgressBar1.minimum = 0;
    m_state.ProgressBar1.SetMaximum(Saturate(*duration + leadSeconds));
    if (const auto seconds = OutputSeconds(m_state.statState, command.parameters.CodecOption,
                                           command.parameters.OutputExtension))
        m_state.ProgressBar1.SetPosition(*seconds);
}

// Uses the file bar's position from this chunk: the bar moves by the seconds converted.
void ConvertingWindowLogic::RefreshBatchBar() {
    if (!m_weights.Weighed())
        return;
    m_state.pbTotal.SetMaximum(Saturate(m_weights.total));
    m_state.pbTotal.SetPosition(Saturate(m_weights.Position(m_state.ProgressBar1.position)));
}

void ConvertingWindowLogic::ResetFileBar() {
    m_state.ProgressBar1.SetPosition(0);
}

void ConvertingWindowLogic::ShowFileDone() {
    ProgressBarState& file = m_state.ProgressBar1;
    file.minimum = 0;
    file.SetMaximum(std::max(file.maximum, 1));
    file.SetPosition(file.maximum);
    RefreshBatchBar();
}

void ConvertingWindowLogic::tmrChangingTimer() {
    ++m_state.SpinnerFrame;
    if (m_state.SpinnerFrame > SpinnerFrames)
        m_state.SpinnerFrame = 1;
    const char* text = m_state.ProgressBar1.position < PreparingSeconds ? PreparingText : ConvertingText;
    m_state.lblInfo = std::string(text) + "  " + SpinnerCharacters[m_state.SpinnerFrame - 1];
    m_state.Changed();
}

bool ConvertingWindowLogic::AskYesNo(const std::string& question) {
    return m_boxes.Show(question, MessageIcon::None, MessageButtons::YesNo) == IdYes;
}

// What a confirmed stop and a confirmed close share: the window goes, the loop ends after the
// current file, and the current file's remaining output is dropped.
void ConvertingWindowLogic::EndBatchEarly() {
    Hide();
    m_view.SetMainEnabled(true);
    m_batchState.RowIndex = Saturate(static_cast<int64_t>(m_batch.RowCount()) + 10);
    m_batch.DiscardOutput();
}

void ConvertingWindowLogic::btnStop1Click() {
    if (!AskYesNo(StopQuestion))
        return;
    m_batchState.Stopped = true;
    EndBatchEarly();
    m_batch.StopTranscoder();
    m_state.ProgressBar1.SetPosition(0);
    m_state.pbTotal.SetMaximum(0);
    m_state.pbTotal.SetPosition(0);
    m_state.lblPersent = CounterBeforeBatch;
    m_state.Changed();
}

void ConvertingWindowLogic::FormClose() {
    if (!AskYesNo(CloseQuestion)) {
        Hide();
        return;
    }
    CloseConfirmed();
}

bool ConvertingWindowLogic::MainFormCloseQuery() {
    if (!AskYesNo(CloseQuestion))
        return false;
    CloseConfirmed();
    return true;
}

void ConvertingWindowLogic::CloseConfirmed() {
    EndBatchEarly();
    m_batch.StopTranscoder();
}
