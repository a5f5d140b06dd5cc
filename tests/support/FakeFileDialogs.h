#pragma once

#include "tasklist/FileDialogs.h"

#include <vector>

// Answers the file dialogs with the path a test chose, or as a cancel when it chose none,
// and keeps what each dialog asked for.
class FakeFileDialogs final : public FileDialogs {
public:
    std::optional<QString> saveFile(QWidget*, const Request& request) override {
        saves.push_back(request);
        return answer;
    }
    std::optional<QString> openFile(QWidget*, const Request& request) override {
        opens.push_back(request);
        return answer;
    }

    std::optional<QString> answer;
    std::vector<Request> saves;
    std::vector<Request> opens;
};
