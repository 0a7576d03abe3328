#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A pick list of texts with one selected position (-1 for none). The windows show it; the logic
// reads and writes it. Selecting from program code never runs the change handler; only a
// selection made by the user does.
class OptionList {
public:
    const std::vector<std::string>& Items() const { return m_items; }
    int32_t ItemIndex() const { return m_itemIndex; }
    // The text of the selected item, or the empty text when nothing is selected.
    std::string SelectedText() const;

    void Append(const std::string& item);
    // The items appended in order, told to the observer once.
    void AppendItems(const std::vector<std::string>& items);
    // Removes every item; nothing is selected and the text stays.
    void Clear();
    // Clear, then the items in order.
    void ReplaceItems(const std::vector<std::string>& items);

    // Selection from program code. Selecting the current position again changes nothing. Another
    // position inside the items selects it and shows its text; any other position leaves nothing
    // selected and clears the text.
    void Select(int32_t position);
    // Selection made by the user: as Select, then the change handler runs.
    void SelectByUser(int32_t position);

    // The text an editable list shows (the custom-profile box); pick-only lists ignore it.
    const std::string& EditText() const { return m_editText; }
    // Text typed into the box: nothing is selected any more.
    void SetEditText(const std::string& text);
    // Text typed by the user: as SetEditText, then the change handler runs.
    void TypeByUser(const std::string& text);

    void SetChangeHandler(std::function<void()> handler) { m_changeHandler = std::move(handler); }
    // Told after every change of items, selection or text, so that a view can refresh.
    void SetObserver(std::function<void()> observer) { m_observer = std::move(observer); }

private:
    void Notify() const;

    std::vector<std::string> m_items;
    int32_t m_itemIndex = -1;
    std::string m_editText;
    std::function<void()> m_changeHandler;
    std::function<void()> m_observer;
};
