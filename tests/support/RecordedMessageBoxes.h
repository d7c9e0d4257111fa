#pragma once

#include "platform/MessageBoxes.h"

#include <string>
#include <vector>

namespace testing_support {

// Message boxes that are noted instead of shown, with their owners.
class RecordedMessageBoxes final : public platform::MessageBoxes {
public:
    struct Box {
        QWidget* owner;
        std::string text;
    };
    void Show(QWidget* owner, const std::string& text) override { Shown.push_back({owner, text}); }
    std::vector<Box> Shown;
};

} // namespace testing_support
