// Records every message box shown while it lives and answers each with the
// next scripted answer (OK when the script has run out).
#pragma once

#include "platform/widgets/MessageBox.h"

#include <deque>
#include <vector>

class MessageRecorder {
public:
    MessageRecorder()
    {
        previous_ = platform::SetMessageBoxHandler([this](const platform::MessageRequest& request) {
            messages.push_back(request);
            if (answers.empty())
                return platform::MsgAnswer::Ok;
            const platform::MsgAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }
    ~MessageRecorder() { platform::SetMessageBoxHandler(std::move(previous_)); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<platform::MessageRequest> messages;
    std::deque<platform::MsgAnswer> answers;

private:
    platform::MessageBoxHandler previous_;
};
