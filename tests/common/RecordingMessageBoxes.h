#pragma once

#include <deque>
#include <string>
#include <vector>

#include "support/MessageBoxes.h"

// A message-box presenter for tests: records every box asked for and answers with the next queued
// button identifier, or with the default answer when the queue is empty.
class RecordingMessageBoxes : public MessageBoxPresenter {
public:
    struct Box {
        std::string text;
        MessageIcon icon;
        MessageButtons buttons;
    };

    explicit RecordingMessageBoxes(int defaultAnswer = IdOk) : m_defaultAnswer(defaultAnswer) {}

    int Show(const std::string& text, MessageIcon icon, MessageButtons buttons) override {
        m_boxes.push_back({text, icon, buttons});
        if (m_answers.empty())
            return m_defaultAnswer;
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    // The answer for the next box not yet shown; 0 stands for a box that could not be shown.
    void QueueAnswer(int answer) { m_answers.push_back(answer); }
    void SetDefaultAnswer(int answer) { m_defaultAnswer = answer; }

    const std::vector<Box>& Boxes() const { return m_boxes; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Box& box : m_boxes)
            texts.push_back(box.text);
        return texts;
    }
    void Clear() { m_boxes.clear(); }

private:
    std::vector<Box> m_boxes;
    std::deque<int> m_answers;
    int m_defaultAnswer;
};
