#include "Defs.h"
#include "support/FakeSerial.h"

#include <gtest/gtest.h>

#include <future>
#include <utility>

namespace {

using testing_support::FakeSerialPorts;

TEST(CommPortTest, ErrorTexts) {
    const std::pair<int, const char*> table[] = {{ceNone, ""},
                                                 {ceAlreadyOpen, "Already opened"},
                                                 {ceOpenError, "Open error"},
                                                 {ceDeviceClosed, "Device closed"},
                                                 {ceWriteError, "Write error"},
                                                 {ceReadError, "Read error"},
                                                 {-1, ""},
                                                 {6, ""},
                                                 {INT32_MIN, ""}};
    for (const auto& [code, text] : table)
        EXPECT_EQ(TCommPort::ErrorText(code), text) << code;
}

TEST(CommPortTest, OpenAssertsDtrAndCloseReleasesThePort) {
    FakeSerialPorts ports;
    TCommPort port(ports);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.FError, ceNone);

    ASSERT_TRUE(port.Open(3));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_TRUE(ports.Dtr(3));

    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(ports.Dtr(3));
    EXPECT_EQ(ports.OpenLines(3), 0);
    port.Close(); // a second close does nothing
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.FError, ceNone);
    EXPECT_TRUE(port.Open(3)) << "a closed port opens again";
}

TEST(CommPortTest, OpenOnAnOpenPortFailsAndLeavesItAsItWas) {
    FakeSerialPorts ports;
    TCommPort port(ports);
    ASSERT_TRUE(port.Open(1));
    const auto device = port.FHandle.load();
    EXPECT_FALSE(port.Open(2));
    EXPECT_EQ(port.FError, ceAlreadyOpen);
    EXPECT_EQ(port.FHandle.load(), device);
    EXPECT_TRUE(ports.Dtr(1));
    EXPECT_EQ(ports.OpenLines(2), 0);
}

TEST(CommPortTest, PortsThatCannotBeOpened) {
    FakeSerialPorts ports;
    ports.SetMissing(4, true);
    ports.SetHeldElsewhere(5, true);
    for (int number : {0, -1, 4, 5}) {
        TCommPort port(ports);
        EXPECT_FALSE(port.Open(number)) << number;
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.FError, ceOpenError);
        EXPECT_EQ(TCommPort::ErrorText(port.FError), "Open error");
    }
}

TEST(CommPortTest, ErrorIsKeptAcrossALaterSuccess) {
    FakeSerialPorts ports;
    TCommPort port(ports);
    EXPECT_FALSE(port.Open(0));
    EXPECT_TRUE(port.Open(1));
    EXPECT_EQ(port.FError, ceOpenError);
}

TEST(CommPortTest, ReadAndWriteOnAClosedPort) {
    FakeSerialPorts ports;
    TCommPort port(ports);
    char buffer[4] = {};
    EXPECT_EQ(port.Write("x", 1), -1);
    EXPECT_EQ(port.FError, ceDeviceClosed);
    port.FError = ceNone;
    EXPECT_EQ(port.Read(buffer, 4, 0), -1);
    EXPECT_EQ(port.FError, ceDeviceClosed);
    EXPECT_FALSE(port.WaitDsrChange());
    EXPECT_FALSE(port.GetDsr());
}

TEST(CommPortTest, DestroyingAnOpenPortClosesIt) {
    FakeSerialPorts ports;
    {
        TCommPort port(ports);
        ASSERT_TRUE(port.Open(2));
    }
    EXPECT_EQ(ports.OpenLines(2), 0);
    EXPECT_FALSE(ports.Dtr(2));
}

TEST(CommPortTest, KeyClosedAtOpenReadsDownButWaitsForAChange) {
    FakeSerialPorts ports;
    ports.SetDsr(1, true);
    TCommPort port(ports);
    ASSERT_TRUE(port.Open(1));
    EXPECT_TRUE(port.GetDsr());

    auto waited = std::async(std::launch::async, [&] { return port.WaitDsrChange(); });
    ports.AwaitWaiter(1);
    EXPECT_EQ(waited.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
    ports.SetDsr(1, false);
    EXPECT_TRUE(waited.get());
    EXPECT_FALSE(port.GetDsr());
}

TEST(CommPortTest, CloseFromAnotherThreadEndsABlockedWait) {
    FakeSerialPorts ports;
    TCommPort port(ports);
    ASSERT_TRUE(port.Open(1));
    auto waited = std::async(std::launch::async, [&] { return port.WaitDsrChange(); });
    ports.AwaitWaiter(1);
    port.Close();
    EXPECT_FALSE(waited.get());
    EXPECT_FALSE(port.WaitDsrChange()) << "a wait after Close fails at once";
}

} // namespace
