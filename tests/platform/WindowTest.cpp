#include <gtest/gtest.h>

#include "platform/window/MessageIds.h"
#include "platform/window/Window.h"
#include "tests/platform/WindowProbe.h"

namespace {

using WindowProbe = platform::TestProbe<platform::Window>;

TEST(Window, QuitIsHandedOutOnlyAfterEveryOtherMessage) {
    platform::Window window("T", 0, 0, 100, 50);
    window.Post(platform::msg::kChar, 'a', 0);
    window.PostQuit(3);
    window.Post(platform::msg::kMouseMove, 0, 0x00020001);
    window.PostQuit(4);  // a second quit replaces the first
    platform::WindowMessage m;
    std::vector<uint32_t> ids;
    while (window.Peek(m)) ids.push_back(m.message);
    EXPECT_EQ(ids, (std::vector<uint32_t>{platform::msg::kChar, platform::msg::kMouseMove, platform::msg::kQuit}));
    EXPECT_EQ(m.wParam, 4u);
    EXPECT_EQ(window.Pending(), 0u);
}

TEST(Window, RawInputRecordIsReadableOnlyWhileItsMessageIsCurrent) {
    platform::Window window("T", 0, 0, 100, 50);
    platform::RawInput key;
    key.keyboard.virtualKey = 65;
    const int64_t first = window.PostRawInput(key);
    key.keyboard.virtualKey = 66;
    const int64_t second = window.PostRawInput(key);
    platform::RawInput out;
    EXPECT_FALSE(window.ReadRawInput(first, out));  // not yet taken from the queue

    platform::WindowMessage m;
    ASSERT_TRUE(window.Peek(m));
    EXPECT_EQ(m.message, platform::msg::kInput);
    EXPECT_EQ(m.lParam, first);
    ASSERT_TRUE(window.ReadRawInput(first, out));
    EXPECT_EQ(out.keyboard.virtualKey, 65);
    EXPECT_FALSE(window.ReadRawInput(second, out));
    EXPECT_FALSE(window.ReadRawInput(0, out));

    ASSERT_TRUE(window.Peek(m));
    EXPECT_FALSE(window.ReadRawInput(first, out));
    ASSERT_TRUE(window.ReadRawInput(second, out));
    EXPECT_EQ(out.keyboard.virtualKey, 66);
}

TEST(Window, DevicesDropsAndRegistrations) {
    platform::Window window("T", 0, 0, 100, 50);
    platform::RawInputDeviceInfo info;
    EXPECT_FALSE(window.GetRawInputDeviceInfo(7, info));
    window.AddRawInputDevice(7, {platform::RawInputType::Hid, 0x1234, 9});
    ASSERT_TRUE(window.GetRawInputDeviceInfo(7, info));
    EXPECT_EQ(info.vendorId, 0x1234u);
    WindowProbe::RemoveRawInputDevice(window, 7);
    EXPECT_FALSE(window.GetRawInputDeviceInfo(7, info));

    const uint64_t drop = window.PostDropFiles({"a.txt", "b"});
    EXPECT_EQ(window.DroppedFileCount(drop), 2u);
    EXPECT_EQ(window.DroppedFile(drop, 1), "b");
    EXPECT_EQ(window.DroppedFile(drop, 2), "");
    window.FinishDrop(drop);
    EXPECT_EQ(window.DroppedFileCount(drop), 0u);
    EXPECT_EQ(WindowProbe::OpenDrops(window), 0u);

    EXPECT_TRUE(window.RegisterRawInputDevices({{1, 2, 0}}));
    WindowProbe::SetRawInputRegistrationFails(window, true);
    EXPECT_FALSE(window.RegisterRawInputDevices({{1, 6, 0}}));
    EXPECT_EQ(WindowProbe::RawInputRegistrations(window).size(), 1u);
}

}  // namespace
