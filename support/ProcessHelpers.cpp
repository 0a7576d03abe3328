#include "support/ProcessHelpers.h"

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
