#pragma once

#include <string>

class QWidget;

namespace platform {

// Modal message boxes with one OK button and no icon, owned by a window.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void Show(QWidget* owner, const std::string& text) = 0;
};

// The real boxes, captioned with the application's name.
class QtMessageBoxes final : public MessageBoxes {
public:
    void Show(QWidget* owner, const std::string& text) override;
};

} // namespace platform
