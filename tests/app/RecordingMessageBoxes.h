#pragma once

#include <deque>
#include <string>
#include <vector>

#include "support/MessageBoxes.h"

// Records every box asked for and answers with the queued button (OK when the queue is empty).
class RecordingMessageBoxes final : public MessageBoxPresenter {
public:
    struct Box {
        std::string text;
        MessageIcon icon;
        MessageButtons buttons;
    };

    int Show(const std::string& text, MessageIcon icon, MessageButtons buttons) override {
        boxes.push_back({text, icon, buttons});
        if (answers.empty())
            return IdOk;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<Box> boxes;
    std::deque<int> answers;
};
