#include "profiles/CustomProc.h"

#include "settings/UserSettings.h"

void TCustomProc::LoadUserSettings() {
    ::LoadUserSettings(m_programFolder, m_choices);
}

void TCustomProc::SaveUserSettings() {
    ::SaveUserSettings(m_programFolder, m_choices);
}
