#include "Form.h"

#include <QHideEvent>

namespace platform {

TForm::TForm(QWidget* parent)
    : QMainWindow(parent),
      FHandle(std::make_shared<QtWindowHandle>(this, [this] { DeliverMessages(); })) {}

TForm::~TForm() {
    FHandle->Close();
}

void TForm::Dispatch(void* Message) {
    DefaultHandler(*static_cast<TMessage*>(Message));
}

void TForm::DefaultHandler(TMessage& message) {
    emit MessageHandedOn(message);
}

void TForm::DeliverMessages() {
    for (int taken = 0; taken < QtWindowHandle::kBatch; ++taken) {
        std::optional<TMessage> message = FHandle->TakeNext();
        if (!message)
            return;
        Dispatch(&*message);
    }
    FHandle->ContinueLater();
}

bool TForm::event(QEvent* event) {
    if (event->type() == QEvent::Paint && !FOuterSizeSettled) {
        // The first paint comes after the window manager has framed the window.
        FOuterSizeSettled = true;
        ApplyOuterSize();
    }
    return QMainWindow::event(event);
}

void TForm::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    if (!event->spontaneous())
        DoHide();
}

QSize TForm::FrameExtra() const {
    return frameGeometry().size() - geometry().size();
}

int TForm::Left() const {
    return frameGeometry().x();
}
int TForm::Top() const {
    return frameGeometry().y();
}
int TForm::Width() const {
    return frameGeometry().width();
}
int TForm::Height() const {
    return frameGeometry().height();
}

// move() places the frame's corner, so position needs no correction.
void TForm::SetLeft(int left) {
    move(left, Top());
}
void TForm::SetTop(int top) {
    move(Left(), top);
}

void TForm::SetWidth(int width) {
    FWantedOuterSize = QSize(width, Height());
    ApplyOuterSize();
}

void TForm::SetHeight(int height) {
    FWantedOuterSize = QSize(Width(), height);
    ApplyOuterSize();
}

void TForm::SetBounds(int left, int top, int width, int height) {
    move(left, top);
    FWantedOuterSize = QSize(width, height);
    ApplyOuterSize();
}

void TForm::ApplyOuterSize() {
    if (!FWantedOuterSize)
        return;
    resize(*FWantedOuterSize - FrameExtra());
    // Once the frame is known the outer size is exact; later resizes are the user's.
    if (FOuterSizeSettled)
        FWantedOuterSize.reset();
}

} // namespace platform
