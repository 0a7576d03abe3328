#pragma once

#include <array>
#include <cstddef>
#include <optional>

// The commands the main window's keyboard shortcuts reach. Each acts as a click on the button it is
// named after (also when that button is hidden); Help opens the manual.
enum class ShortcutCommand {
    OpenFile,           // btnOpenFile
    RemoveFile,         // btnRemoveFile
    ClearFile,          // btnClearFile
    Options,            // btnOptions
    Play,               // btnPlay
    Pause,              // btnPause
    Stop,               // btnStop of the preview player
    Convert,            // btnConvert
    Help,               // OpenHelp
    SelectOutputFolder, // the hidden btnSelectOutputFolder
    AddFolder,          // btnAddFolder
};
inline constexpr std::size_t ShortcutCommandCount = 11;

// The modifier keys held with a key press.
struct KeyModifiers {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    bool meta = false;
};

// Which modifiers a table entry accepts.
enum class ShortcutModifiers {
    CtrlOnly, // Ctrl held, and no other modifier
    Any,      // any combination, including none
};

struct ShortcutEntry {
    int virtualKey; // Windows virtual-key code: letters are their upper-case ASCII code, F1 is 112
    ShortcutModifiers modifiers;
    ShortcutCommand command;
};

inline constexpr int VirtualKeyF1 = 112;

// The key handler's table, tested in this order.
inline constexpr std::array<ShortcutEntry, 12> ShortcutTable = {{
    {'O', ShortcutModifiers::CtrlOnly, ShortcutCommand::OpenFile},
    {'R', ShortcutModifiers::CtrlOnly, ShortcutCommand::RemoveFile},
    {'L', ShortcutModifiers::CtrlOnly, ShortcutCommand::ClearFile},
    {'I', ShortcutModifiers::CtrlOnly, ShortcutCommand::Options},
    {'P', ShortcutModifiers::CtrlOnly, ShortcutCommand::Play},
    {'U', ShortcutModifiers::CtrlOnly, ShortcutCommand::Pause},
    {'T', ShortcutModifiers::CtrlOnly, ShortcutCommand::Stop},
    {'S', ShortcutModifiers::CtrlOnly, ShortcutCommand::Convert},
    {VirtualKeyF1, ShortcutModifiers::Any, ShortcutCommand::Help},
    // Ctrl+N converts like Ctrl+S, although two buttons' hints read "Ctrl + N".
    {'N', ShortcutModifiers::CtrlOnly, ShortcutCommand::Convert},
    {'B', ShortcutModifiers::CtrlOnly, ShortcutCommand::SelectOutputFolder},
    {'D', ShortcutModifiers::CtrlOnly, ShortcutCommand::AddFolder},
}};

// The command a key press reaches, or none.
std::optional<ShortcutCommand> MatchShortcut(int virtualKey, KeyModifiers modifiers);
