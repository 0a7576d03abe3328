#pragma once

#include <cstdint>
#include <string>

#include "support/Log.h"
#include "support/ProcessTable.h"
#include "support/SystemServices.h"

// Process lookup and termination by executable name, over a process table. Names compare after
// ASCII upper-casing. When several processes match, the one listed last wins.
class TSysFunc {
public:
    TSysFunc(ProcessTable& table, const TAppFunc& log) : m_table(table), m_log(log) {}

    // The id of the last process whose name equals `name`; 0 when none (or the scan failed).
    int64_t IsProcessRunning(const std::string& name);
    // As IsProcessRunning, and writes "Get Process id error." when it finds none.
    int64_t ProcessIdByName(const std::string& name);
    // Kills every process whose name, or the file-name part of it, equals `name`. True when the
    // last kill attempted succeeded; otherwise writes "Terminate process error." and returns false.
    bool KillProcessByName(const std::string& name);

private:
    int64_t LastMatch(const std::string& name);

    ProcessTable& m_table;
    const TAppFunc& m_log;
};

// The text after the last "/" (all of it when there is none).
std::string FileNamePart(const std::string& path);

// Asks the system to power off, not forced; true when the request was accepted.
bool ShutdownComputer(Power& power);
// Shows the folder with the desktop's default handler; does not wait.
void OpenFolderInExplorer(Shell& shell, const std::string& folder);
// Returns freed memory to the system, then lets pending events run.
void TrimWorkingSet(Power& power, EventPump& pump);
