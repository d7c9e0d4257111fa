#include "platform/Form.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

using platform::TMessage;

// A window whose message map records what it gets.
class RecordingForm : public platform::TForm {
public:
    void Dispatch(void* Message) override { Received.push_back(*static_cast<TMessage*>(Message)); }
    std::vector<TMessage> Received;
};

TEST(WindowHandleTest, MessagesPostedFromAnotherThreadArriveInOrder) {
    RecordingForm form;
    const platform::HWND handle = form.Handle();
    std::thread poster([handle] {
        for (int i = 0; i < 100; ++i)
            EXPECT_TRUE(platform::PostMessage(handle, 0x0500, i % 2, i));
    });
    poster.join();
    EXPECT_TRUE(form.Received.empty()) << "delivered only by the window's own thread";
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Received.size(), static_cast<std::size_t>(platform::QtWindowHandle::kBatch))
        << "one batch a turn";
    while (form.MessagesWaiting())
        QCoreApplication::processEvents();
    ASSERT_EQ(form.Received.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(form.Received[i].Msg, 0x0500u);
        EXPECT_EQ(form.Received[i].WParam, i % 2);
        EXPECT_EQ(form.Received[i].LParam, i);
    }
}

// A flood of messages (a bouncing key) must not keep the window's other
// events waiting until the whole flood is through.
TEST(WindowHandleTest, AFloodLeavesTheWindowsOtherEventsTheirTurn) {
    RecordingForm form;
    constexpr int kFlood = 10'000;
    for (int i = 0; i < kFlood; ++i)
        platform::PostMessage(form.Handle(), 0x0500, 1, i);
    std::size_t receivedWhenAnswered = 0;
    bool answered = false;
    QMetaObject::invokeMethod(
        &form,
        [&] {
            answered = true;
            receivedWhenAnswered = form.Received.size();
        },
        Qt::QueuedConnection);
    while (form.MessagesWaiting() || !answered)
        QCoreApplication::processEvents();
    EXPECT_LE(receivedWhenAnswered, 2u * platform::QtWindowHandle::kBatch);
    ASSERT_EQ(form.Received.size(), static_cast<std::size_t>(kFlood));
    for (int i = 0; i < kFlood; ++i)
        ASSERT_EQ(form.Received[i].LParam, i);
}

TEST(WindowHandleTest, PostingToAWindowThatIsGoneFailsAndDeliversNothing) {
    platform::HWND handle;
    {
        RecordingForm form;
        handle = form.Handle();
        EXPECT_TRUE(platform::PostMessage(handle, 0x0401, 0, 0));
    } // the message still queued goes with the window
    EXPECT_FALSE(platform::PostMessage(handle, 0x0401, 0, 0));
    QCoreApplication::processEvents(); // must not touch the destroyed window
    EXPECT_FALSE(platform::PostMessage(platform::HWND(), 0x0401, 0, 0)) << "no handle at all";
}

TEST(WindowHandleTest, WindowGoingAwayWhilePostersRunIsSafe) {
    std::atomic<bool> stop{false};
    std::atomic<int> refused{0};
    auto form = std::make_unique<RecordingForm>();
    const platform::HWND handle = form->Handle();
    std::thread poster([&] {
        while (!stop.load()) {
            if (!platform::PostMessage(handle, 0x0500, 1, 0))
                refused.fetch_add(1);
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    QCoreApplication::processEvents();
    form.reset(); // while the poster keeps posting
    while (refused.load() == 0)
        std::this_thread::yield();
    stop = true;
    poster.join();
    QCoreApplication::processEvents();
}

TEST(WindowHandleTest, UnknownMessagesAreHandedOnToTheDefaultHandling) {
    platform::TForm form;
    std::vector<std::uint32_t> handedOn;
    QObject::connect(&form, &platform::TForm::MessageHandedOn,
                     [&](const TMessage& message) { handedOn.push_back(message.Msg); });
    platform::PostMessage(form.Handle(), 0x0402, 0, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(handedOn, (std::vector<std::uint32_t>{0x0402}));
}

} // namespace
