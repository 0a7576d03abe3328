#pragma once

#include <optional>
#include <string>

// Custom profiles: named sets of six option positions in Config/UserProfileInfo.ini, one section per
// profile holding one key of the same name; Config/UserProfileCount.ini counts the uses of Add.
inline constexpr char kCustomProfileFile[] = "UserProfileInfo.ini";
inline constexpr char kProfileCountFile[] = "UserProfileCount.ini";
// The main window's profile list holds the built-in qualities first; custom profile k is at this
// count + k.
inline constexpr int kBuiltInProfileCount = 5;

// The one-line prompt for a new profile's name.
class ProfileNamePrompt {
public:
    virtual ~ProfileNamePrompt() = default;
    // Asks with the proposal filled in; no value when the user cancels.
    virtual std::optional<std::string> AskName(const std::string& proposal) = 0;
};

// Why the profile file could not give a profile of this name back, as the text the user is shown;
// empty for a usable name. The file trims blanks from names and keys, cuts a key at its first "="
// and reads a line in brackets as a section header.
std::string ProfileNameProblem(const std::string& name);
