#include "support/ProcessHelpers.h"

#include "support/Text.h"

std::string FileNamePart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int64_t TSysFunc::LastMatch(const std::string& name) {
    const auto snapshot = m_table.Snapshot();
    if (!snapshot)
        return 0;
    const std::string wanted = AsciiUpper(name);
    int64_t found = 0;
    for (const ProcessEntry& entry : *snapshot)
        if (AsciiUpper(entry.exeName) == wanted)
            found = entry.pid;
    return found;
}

int64_t TSysFunc::IsProcessRunning(const std::string& name) {
    return LastMatch(name);
}

int64_t TSysFunc::ProcessIdByName(const std::string& name) {
    const int64_t pid = LastMatch(name);
    if (pid == 0)
        m_log.WriteLog("Get Process id error.");
    return pid;
}

bool TSysFunc::KillProcessByName(const std::string& name) {
    bool lastKilled = false;
    if (const auto snapshot = m_table.Snapshot()) {
        const std::string wanted = AsciiUpper(name);
        for (const ProcessEntry& entry : *snapshot) {
            const std::string exeName = AsciiUpper(entry.exeName);
            if (exeName == wanted || FileNamePart(exeName) == wanted)
                lastKilled = m_table.Terminate(entry.pid);
        }
    }
    if (!lastKilled)
        m_log.WriteLog("Terminate process error.");
    return lastKilled;
}

bool ShutdownComputer(Power& power) {
    return power.PowerOff();
}

void OpenFolderInExplorer(Shell& shell, const std::string& folder) {
    shell.OpenFolder(folder);
}

void TrimWorkingSet(Power& power, EventPump& pump) {
    power.TrimMemory();
    pump.Pump();
}
