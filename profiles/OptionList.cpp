#include "profiles/OptionList.h"

std::string OptionList::SelectedText() const {
    if (m_itemIndex < 0 || static_cast<std::size_t>(m_itemIndex) >= m_items.size())
        return {};
    return m_items[static_cast<std::size_t>(m_itemIndex)];
}

void OptionList::Append(const std::string& item) {
    m_items.push_back(item);
    Notify();
}

void OptionList::AppendItems(const std::vector<std::string>& items) {
    m_items.insert(m_items.end(), items.begin(), items.end());
    Notify();
}

void OptionList::Clear() {
    m_items.clear();
    m_itemIndex = -1;
    Notify();
}

void OptionList::ReplaceItems(const std::vector<std::string>& items) {
    m_items = items;
    m_itemIndex = -1;
    Notify();
}

void OptionList::Select(int32_t position) {
    if (position == m_itemIndex)
        return;
    const bool inside = position >= 0 && static_cast<std::size_t>(position) < m_items.size();
    m_itemIndex = inside ? position : -1;
    m_editText = inside ? m_items[static_cast<std::size_t>(position)] : std::string();
    Notify();
}

void OptionList::SelectByUser(int32_t position) {
    Select(position);
    if (m_changeHandler)
        m_changeHandler();
}

void OptionList::SetEditText(const std::string& text) {
    m_editText = text;
    m_itemIndex = -1;
    Notify();
}

void OptionList::TypeByUser(const std::string& text) {
    SetEditText(text);
    if (m_changeHandler)
        m_changeHandler();
}

void OptionList::Notify() const {
    if (m_observer)
        m_observer();
}
