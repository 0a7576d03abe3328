#pragma once

#include <string>

#include "support/SystemServices.h"

// Asks the system to power off, not forced; true when the request was accepted.
bool ShutdownComputer(Power& power);
// Shows the folder with the desktop's default handler; does not wait.
void OpenFolderInExplorer(Shell& shell, const std::string& folder);
// Returns freed memory to the system, then lets pending events run.
void TrimWorkingSet(Power& power, EventPump& pump);
