#pragma once

#include <string>

// Message boxes as the core asks for them; the Qt implementation shows a QMessageBox captioned
// "Rivamo", a recording fake answers in tests.
enum class MessageIcon { None, Error, Warning, Question, Information };
enum class MessageButtons { Ok, YesNo, YesNoCancel };

// The button pressed, with the numbers the rest of the program compares against.
inline constexpr int IdOk = 1;
inline constexpr int IdCancel = 2;
inline constexpr int IdYes = 6;
inline constexpr int IdNo = 7;

class MessageBoxPresenter {
public:
    virtual ~MessageBoxPresenter() = default;
    // Shows a modal box and returns the identifier of the button pressed, 0 when it could not be shown.
    virtual int Show(const std::string& text, MessageIcon icon, MessageButtons buttons) = 0;
};

// The kinds of box ShowMessageKind shows, by their numbers 0 to 3.
enum class MessageKind { Error = 0, Warning = 1, Question = 2, Information = 3 };

// A box of a kind with an OK button and the kind's icon. True when it was shown and dismissed; false
// for a value outside the kinds (nothing shown) or a box that could not be shown.
bool ShowMessageKind(MessageBoxPresenter& presenter, const std::string& message, MessageKind kind);

// An information box with a button set: 1 OK, 2 Yes/No, 3 Yes/No/Cancel. The identifier of the button
// pressed (IdOk, IdCancel, IdYes, IdNo); 0 for a type outside 1-3 (nothing shown) or a box that could
// not be shown.
int ShowMessageButtons(MessageBoxPresenter& presenter, const std::string& message, int type);
