#pragma once

#include <optional>
#include <string>
#include <vector>

// Where the main window stood when the program last ended: its frame's place and size when not
// maximized, whether it was maximized, and the grid's column widths in the grid's order.
struct MainWindowPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool maximized = false;
    std::vector<int> columnWidths;

    bool operator==(const MainWindowPlacement&) const = default;
};

// The placement kept in Config/UserSettings.ini below the program folder (with its trailing "/"),
// in a section of its own; no value when none was kept or its size is unreadable. Column widths
// that are no positive numbers are left out as a whole.
std::optional<MainWindowPlacement> LoadMainWindowPlacement(const std::string& programFolder);
void SaveMainWindowPlacement(const std::string& programFolder, const MainWindowPlacement& placement);
