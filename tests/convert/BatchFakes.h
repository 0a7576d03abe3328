#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "convert/BatchResult.h"
#include "convert/BatchSupervision.h"
#include "convert/BatchView.h"
#include "convert/CommandBuilder.h"
#include "convert/ProcessLauncher.h"
#include "profiles/OptionSelection.h"
#include "settings/MainChoices.h"
#include "sources/CopySource.h"
#include "support/MessageBoxes.h"
#include "support/SystemServices.h"

// Fakes behind the platform interfaces, for tests of the batch logic. They record what happens in
// one shared event log (user-interface thread events only, unless noted), so tests can check order.

class EventLog {
public:
    void Add(const std::string& event) {
        const std::lock_guard lock(m_mutex);
        m_events.push_back(event);
    }
    std::vector<std::string> Events() const {
        const std::lock_guard lock(m_mutex);
        return m_events;
    }
    // Index of the first event equal to `event`, or -1.
    int IndexOf(const std::string& event) const {
        const auto events = Events();
        for (std::size_t i = 0; i < events.size(); ++i)
            if (events[i] == event)
                return static_cast<int>(i);
        return -1;
    }
    int Count(const std::string& event) const {
        int count = 0;
        for (const auto& e : Events())
            count += e == event ? 1 : 0;
        return count;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
};

// Virtual time: sleeping advances it at once. Sleeps on the thread that made the clock are logged
// and run `onSleep`, which lets a test stand for what happens meanwhile in the real world.
class FakeClock final : public Clock {
public:
    explicit FakeClock(EventLog& log) : m_log(log), m_owner(std::this_thread::get_id()) {}
    int64_t NowMs() override { return m_now; }
    void SleepMs(int64_t milliseconds) override {
        m_now += milliseconds;
        if (std::this_thread::get_id() != m_owner)
            return;
        m_log.Add("sleep " + std::to_string(milliseconds));
        if (onSleep)
            onSleep(milliseconds);
    }
    std::function<void(int64_t)> onSleep;

private:
    EventLog& m_log;
    std::thread::id m_owner;
    std::atomic<int64_t> m_now{0};
};

class FakePump final : public EventPump {
public:
    explicit FakePump(EventLog& log) : m_log(log) {}
    void Pump() override {
        m_log.Add("pump");
        ++m_count;
        if (m_hook)
            m_hook();
    }
    // Runs inside every pump, as a window event would.
    std::function<void()> m_hook;
    int m_count = 0;

private:
    EventLog& m_log;
};

class RecordingView final : public BatchView {
public:
    explicit RecordingView(EventLog& log) : m_log(log) {}
    void ShowProgress() override { m_log.Add("show progress"); }
    void HideProgress() override { m_log.Add("hide progress"); }
    void SetMainEnabled(bool enabled) override { m_log.Add(enabled ? "enable main" : "disable main"); }
    void EndProgram() override { m_log.Add("end program"); }

private:
    EventLog& m_log;
};

class RecordingShell final : public Shell {
public:
    explicit RecordingShell(EventLog& log) : m_log(log) {}
    void OpenFolder(const std::string& folder) override { m_log.Add("open folder " + folder); }
    void OpenAddress(const std::string& address) override { m_log.Add("open address " + address); }

private:
    EventLog& m_log;
};

class RecordingPower final : public Power {
public:
    explicit RecordingPower(EventLog& log) : m_log(log) {}
    bool PowerOff() override {
        m_log.Add("power off");
        return accept;
    }
    bool accept = true;
    void TrimMemory() override { m_log.Add("trim memory"); }

private:
    EventLog& m_log;
};

// Facts by source path; a path it does not know reads as an unreadable file.
class TableCopyProbe final : public CopySourceProbe {
public:
    CopySourceFacts Probe(const std::string& path) override {
        const auto known = facts.find(path);
        return known != facts.end() ? known->second : CopySourceFacts{};
    }
    std::map<std::string, CopySourceFacts> facts;
};

// Command lines "<program folder>trenc <source path>"; a source named in `failing` raises.
class FakeCommands final : public CommandBuilder {
public:
    FakeCommands(EventLog& log, std::string programFolder)
        : m_log(log), m_programFolder(std::move(programFolder)) {}
    ConvertCommand BuildCommandLine(const std::string& path) override {
        m_log.Add("build " + path);
        if (path == failing)
            throw std::runtime_error("cannot build " + path);
        transcoderPath = executable.empty() ? m_programFolder + "trenc" : executable;
        inputPath = path;
        ConvertCommand command;
        command.CommandLine = commandFor ? commandFor(path) : transcoderPath + " " + path;
        command.DurationText = durationText;
        command.OutputPath = OutputPathOf(command.CommandLine);
        command.parameters.TranscoderPath = transcoderPath;
        command.parameters.InputPath = inputPath;
        command.parameters.CodecOption = codecOption;
        command.parameters.OutputExtension = outputExtension;
        command.parameters.OutputFolder = "/out/";
        if (amend)
            amend(path, command);
        return command;
    }

    std::string failing;
    std::function<std::string(const std::string&)> commandFor;
    std::string executable; // the transcoder the command lines begin with, when not "<folder>trenc"
    std::string transcoderPath, inputPath;
    std::string durationText;
    std::string codecOption = " -vcodec rv20";
    std::string outputExtension = ".rm";
    std::function<void(const std::string& path, ConvertCommand&)> amend; // what a test adds to a command

private:
    EventLog& m_log;
    std::string m_programFolder;
};

// Checks nothing: every row is started, nothing is judged, the power may go off.
class UncheckedBatch final : public BatchSupervision {
public:
    bool BeginBatch(int32_t) override { return true; }
    std::size_t BadRowCount() const override { return 0; }
    bool IsBadRow(std::size_t) const override { return false; }
    std::string RowStarted(std::size_t, const ConvertCommand& command) override {
        return command.CommandLine;
    }
    void TranscoderEnded(int) override {}
    void Output(const std::string&) override {}
    void RefreshProgress() override {}
    void RowSkipped(std::size_t, const std::string&) override {}
    RowOutcome RowFinished(std::size_t, bool) override { return RowOutcome::NotConverted; }
    void EndBatch() override {}
    bool PowerOffAllowed() const override { return true; }
    void PowerOffRefused() override {}
    void ShowSummaryIfNeeded() override {}
    const BatchWeights& Weights() const override { return m_weights; }

private:
    BatchWeights m_weights;
};

// A child whose life is a script: a check of its state lets the next piece of output arrive once
// the previous one has been read;
// it ends with the last piece unless it is told to keep running (then only a signal ends it).
class ScriptedChild final : public ChildProcess {
public:
    struct Shared {
        std::mutex mutex;
        std::deque<std::string> arrivals;
        std::string pipe;
        bool keepRunning = false;
        bool ignoresTerm = false; // only a kill ends it
        bool unkillable = false;  // not even a kill
        bool ended = false;
        std::size_t reads = 0;
        int64_t pid = 0;
        EventLog* log = nullptr;
    };
    explicit ScriptedChild(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}
    bool IsRunning() override {
        const std::lock_guard lock(m_shared->mutex);
        if (m_shared->pipe.empty() && !m_shared->arrivals.empty()) {
            m_shared->pipe = m_shared->arrivals.front();
            m_shared->arrivals.pop_front();
        }
        if (m_shared->arrivals.empty() && !m_shared->keepRunning)
            m_shared->ended = true;
        return !m_shared->ended;
    }
    std::size_t BytesWaiting() override {
        const std::lock_guard lock(m_shared->mutex);
        return m_shared->pipe.size();
    }
    std::string Read(std::size_t maxBytes) override {
        const std::lock_guard lock(m_shared->mutex);
        ++m_shared->reads;
        std::string piece = m_shared->pipe.substr(0, maxBytes);
        m_shared->pipe.erase(0, piece.size());
        return piece;
    }
    void AskToEnd() override { Signal("term", m_shared->ignoresTerm || m_shared->unkillable); }
    void Kill() override { Signal("kill", m_shared->unkillable); }

private:
    void Signal(const std::string& name, bool ignored) {
        const std::lock_guard lock(m_shared->mutex);
        if (m_shared->ended)
            return;
        m_shared->log->Add(name + " " + std::to_string(m_shared->pid));
        if (!ignored) {
            m_shared->ended = true;
            m_shared->keepRunning = false;
        }
    }

    std::shared_ptr<Shared> m_shared;
};

// Starts scripted children (one script per start, in order).
class ScriptedProcesses final : public ProcessLauncher {
public:
    explicit ScriptedProcesses(EventLog& log) : m_log(log) {}

    struct Script {
        std::vector<std::string> output;
        bool keepRunning = false;
        bool failsToStart = false;
        bool ignoresTerm = false;
        bool unkillable = false;
    };
    void AddScript(Script script) { m_scripts.push_back(std::move(script)); }
    static Script FailingStart() {
        Script script;
        script.failsToStart = true;
        return script;
    }

    // Runs at every start, as the transcoder would begin writing its output.
    std::function<void(const std::string& arguments)> onStart;

    std::unique_ptr<ChildProcess> Start(const std::string& executable, const std::string& arguments,
                                        const std::string& workingFolder) override {
        m_log.Add("start " + executable + arguments);
        if (onStart)
            onStart(arguments);
        const std::lock_guard lock(m_mutex);
        lastWorkingFolder = workingFolder;
        ++m_attempts;
        m_started.notify_all();
        Script script = m_scripts.empty() ? Script{} : m_scripts.front();
        if (!m_scripts.empty())
            m_scripts.pop_front();
        if (script.failsToStart)
            return nullptr;
        auto shared = std::make_shared<ScriptedChild::Shared>();
        shared->arrivals.assign(script.output.begin(), script.output.end());
        shared->keepRunning = script.keepRunning;
        shared->ignoresTerm = script.ignoresTerm;
        shared->unkillable = script.unkillable;
        shared->pid = ChildPid(m_children.size());
        shared->log = &m_log;
        m_children.push_back(shared);
        return std::make_unique<ScriptedChild>(shared);
    }

    // A kill from outside ends the child.
    void Terminate(int64_t pid) {
        m_log.Add("kill " + std::to_string(pid));
        const std::lock_guard lock(m_mutex);
        for (std::size_t i = 0; i < m_children.size(); ++i)
            if (ChildPid(i) == pid) {
                const std::lock_guard childLock(m_children[i]->mutex);
                m_children[i]->ended = true;
                m_children[i]->keepRunning = false;
            }
    }

    // The child ends by itself (its work is done).
    void Finish(std::size_t index) {
        const std::lock_guard lock(m_mutex);
        const std::lock_guard childLock(m_children.at(index)->mutex);
        m_children[index]->keepRunning = false;
    }

    static int64_t ChildPid(std::size_t index) { return 1000 + static_cast<int64_t>(index); }
    std::size_t Started() {
        const std::lock_guard lock(m_mutex);
        return m_children.size();
    }
    // Waits until Start has been called `count` times: a real start pause is long enough for that.
    void WaitForAttempts(std::size_t count) {
        std::unique_lock lock(m_mutex);
        m_started.wait(lock, [&] { return m_attempts >= count; });
    }

    std::string lastWorkingFolder;

private:
    EventLog& m_log;
    std::mutex m_mutex;
    std::condition_variable m_started;
    std::size_t m_attempts = 0;
    std::deque<Script> m_scripts;
    std::vector<std::shared_ptr<ScriptedChild::Shared>> m_children;
};
