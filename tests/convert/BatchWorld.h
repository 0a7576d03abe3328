#pragma once

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "convert/BatchDriver.h"
#include "convert/ConvertingState.h"
#include "profiles/CustomProc.h"
#include "profiles/OptionSelection.h"
#include "settings/MainChoices.h"
#include "sources/SourceList.h"
#include "support/Log.h"
#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TempDir.h"
#include "tests/convert/BatchFakes.h"

// A batch driver with recording windows, boxes, shell and power, a log in a temporary program
// folder, and the launcher and clock the test gives. Its batch is unchecked unless the test makes
// the supervision (from the world's parts).
class BatchWorld {
public:
    using SupervisionMaker = std::function<std::unique_ptr<BatchSupervision>(BatchWorld&)>;

    // The program folder is a temporary one unless one is given.
    BatchWorld(EventLog& events, ProcessLauncher& launcher, Clock& clock, BatchTiming timing = {},
               const std::string& programFolder = {}, const SupervisionMaker& makeSupervision = {})
        : proc(programFolder.empty() ? dir.Folder() : programFolder, options, choices),
          commands(events, dir.Folder()), view(events), pump(events), shell(events), power(events),
          supervision(makeSupervision ? makeSupervision(*this) : std::make_unique<UncheckedBatch>()),
          driver(BatchServices{proc, sources, commands, *supervision, progress, view, boxes, log, launcher,
                               clock, pump, shell, power},
                 timing),
          batch(driver.State()) {
        choices.SetShowOutputDirectory(false);
        progress.SetObserver([this, &events] {
            stateHistory.push_back(progress);
            if (progress.statState != m_lastChunk)
                events.Add("chunk " + progress.statState);
            m_lastChunk = progress.statState;
        });
    }

    void AddRow(const std::string& path, bool checked) {
        const std::size_t row = sources.AppendRow();
        sources.SetCell(row, colCheck, checked ? CheckedText : UncheckedText);
        sources.SetCell(row, colFileName, path);
    }

    std::vector<std::string> LogMessages() const {
        std::vector<std::string> messages;
        std::ifstream file(log.LogPath(), std::ios::binary);
        std::string line;
        while (std::getline(file, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            messages.push_back(line.substr(line.find('|') + 1));
        }
        return messages;
    }

    // The status texts the progress window was given, in order.
    std::vector<std::string> ShownChunks() const {
        std::vector<std::string> chunks;
        for (const ConvertingState& state : stateHistory)
            if (!state.statState.empty() && (chunks.empty() || chunks.back() != state.statState))
                chunks.push_back(state.statState);
        return chunks;
    }

    TempDir dir;
    OptionSelection options;
    MainChoices choices{"/home/user/Rivamo"};
    TCustomProc proc;
    SourceList sources;
    FakeCommands commands;
    ConvertingState progress;
    RecordingView view;
    RecordingMessageBoxes boxes;
    FakePump pump;
    RecordingShell shell;
    RecordingPower power;
    TAppFunc log{dir.Folder()};
    std::unique_ptr<BatchSupervision> supervision;
    BatchDriver driver;
    BatchState& batch;
    std::vector<ConvertingState> stateHistory;

private:
    std::string m_lastChunk;
};
