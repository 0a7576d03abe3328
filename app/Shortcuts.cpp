#include "app/Shortcuts.h"

namespace {

bool Accepts(ShortcutModifiers accepted, KeyModifiers held) {
    if (accepted == ShortcutModifiers::Any)
        return true;
    return held.ctrl && !held.shift && !held.alt && !held.meta;
}

} // namespace

std::optional<ShortcutCommand> MatchShortcut(int virtualKey, KeyModifiers modifiers) {
    for (const ShortcutEntry& entry : ShortcutTable) {
        if (entry.virtualKey == virtualKey && Accepts(entry.modifiers, modifiers))
            return entry.command;
    }
    return std::nullopt;
}
