#pragma once

#include <string>

#include "settings/MainChoices.h"

// The user's choices kept across runs: Config/UserSettings.ini below the program folder (with its
// trailing "/"), section USRInfo.
void LoadUserSettings(const std::string& programFolder, MainChoices& choices);
void SaveUserSettings(const std::string& programFolder, const MainChoices& choices);
