#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "app/Shortcuts.h"

namespace {

constexpr KeyModifiers None{};
constexpr KeyModifiers Ctrl{.ctrl = true};
constexpr KeyModifiers CtrlShift{.ctrl = true, .shift = true};
constexpr KeyModifiers CtrlAlt{.ctrl = true, .alt = true};
constexpr KeyModifiers CtrlMeta{.ctrl = true, .meta = true};
constexpr KeyModifiers Shift{.shift = true};
constexpr KeyModifiers Alt{.alt = true};
constexpr KeyModifiers All{.ctrl = true, .shift = true, .alt = true, .meta = true};

struct KeyCase {
    int key;
    KeyModifiers modifiers;
    std::optional<ShortcutCommand> expected;
};

TEST(App_ShortcutsTests, KeysReachTheirCommandsWithCtrlAloneAndF1WithAnything) {
    using enum ShortcutCommand;
    const std::vector<KeyCase> cases = {
        {'O', Ctrl, OpenFile},
        {'R', Ctrl, RemoveFile},
        {'L', Ctrl, ClearFile},
        {'I', Ctrl, Options},
        {'P', Ctrl, Play},
        {'U', Ctrl, Pause},
        {'T', Ctrl, Stop},
        {'S', Ctrl, Convert},
        {'N', Ctrl, Convert}, // not the Options dialog, whatever the hints say
        {'B', Ctrl, SelectOutputFolder},
        {'D', Ctrl, AddFolder},
        {112, None, Help},
        {112, Shift, Help},
        {112, Ctrl, Help},
        {112, All, Help},
        // Ctrl must be the only modifier.
        {'S', CtrlShift, std::nullopt},
        {'S', CtrlAlt, std::nullopt},
        {'S', CtrlMeta, std::nullopt},
        {'O', None, std::nullopt},
        {'O', Shift, std::nullopt},
        {'O', Alt, std::nullopt},
        // Keys outside the table, and the letters' lower-case codes.
        {'E', Ctrl, std::nullopt},
        {'s', Ctrl, std::nullopt},
        {113, None, std::nullopt},
        {0, Ctrl, std::nullopt},
    };
    for (const KeyCase& c : cases)
        EXPECT_EQ(MatchShortcut(c.key, c.modifiers), c.expected) << "key " << c.key;
}

} // namespace
