#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "profiles/Catalogue.h"
#include "profiles/OptionSelection.h"
#include "settings/MainChoices.h"

class MessageBoxPresenter;
class ProfileNamePrompt;

// The controller of conversion, profiles and settings: one instance for the program's life.
// Its operations live beside the subsystem they belong to (the user settings in settings/, the
// profile application here). A batch's state is the batch driver's (convert/BatchState.h).
class TCustomProc {
public:
    TCustomProc(std::string programFolder, OptionSelection& options, MainChoices& choices)
        : m_programFolder(std::move(programFolder)), m_options(options), m_choices(choices) {}

    // User settings: Config/UserSettings.ini, section USRInfo. A file that could not be read is
    // never written over in this run: its save is skipped and logged.
    void LoadUserSettings();
    void SaveUserSettings();

    // Option lists and profile application. Fills every list and loads the user settings, also
    // when a settings file cannot be read; returns the text of each such error, for the user.
    std::vector<std::string> FillOptionLists();
    void FillProfileList(OptionList& list);
    void ApplySelectedProfile();
    void ApplyCustomProfile();
    std::string ReadCustomProfile() const;
    std::vector<std::string> ReadConfigSections(const std::string& fileName) const;
    std::string ReadConfigValue(const std::string& fileName, const std::string& name) const;
    // The six positions of the lists a profile sets, in its field order, joined by "|" (-1 for a
    // list with nothing selected).
    std::string CurrentProfileString() const;

    // Custom profiles (profiles/CustomProfiles.cpp). Add asks for a name, refusing with a message
    // one that the file could never give back, and stores the current positions under it. Delete
    // erases the profile the custom-profile box's text names. Save stores the current positions
    // under that text.
    void AddCustomProfile(ProfileNamePrompt& prompt, MessageBoxPresenter& boxes);
    void DeleteCustomProfile();
    void SaveCustomProfile(MessageBoxPresenter& boxes);

    const std::string& ProgramFolder() const { return m_programFolder; }
    OptionSelection& Options() { return m_options; }
    MainChoices& Choices() { return m_choices; }

private:
    // The file of that name in the Config folder of the program folder.
    std::string ConfigPath(const std::string& fileName) const;
    void StoreCustomProfile(const std::string& name);
    // False, with a line in the log, for a Config file that could not be read in this run.
    bool MayWriteConfig(const std::string& fileName) const;
    // Logs, once per profile and run, what in a stored custom profile could not be applied.
    void ReportProfileProblems(const std::string& name, const std::vector<std::string>& problems);

    std::string m_programFolder; // with a trailing "/"
    OptionSelection& m_options;
    MainChoices& m_choices;
    std::set<std::string> m_unreadConfigFiles; // Config file names whose reading failed
    std::set<std::string> m_reportedProfiles;  // custom profiles whose problems are logged
};
