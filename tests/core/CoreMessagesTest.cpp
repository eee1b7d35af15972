#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/EngineCore.h"
#include "core/LogInWindowMessage.h"
#include "core/Logger.h"
#include "core/MessageSystem.h"
#include "core/ProfileEvent.h"
#include "platform/os/Clock.h"
#include "support/TempTree.h"

namespace {

using SD::IMessage;
using SD::LogArgument;
using SD::Message_System;

struct LogWindow {
    int count = 0;
    std::string title, format, file, function, text;
    int level = -1, line = -1, kind = -1, argCount = 0;
    std::string types;
    void On(IMessage* m) {
        auto* message = static_cast<SD::LogInWindowMessage*>(m);
        ++count;
        title = message->title;
        kind = message->kind;
        format = message->line.format;
        argCount = message->line.count;
        types.clear();
        for (int i = 0; i < message->line.count; ++i) types += std::to_string(message->line.args[i].type);
        level = message->line.args[0].integer;
        file = message->line.args[1].text;
        line = message->line.args[2].integer;
        function = message->line.args[3].text;
        text = message->line.args[4].text;
    }
};

class CoreMessagesTest : public ::testing::Test {
protected:
    void TearDown() override { Message_System::DestroyInstance(); }
};

TEST_F(CoreMessagesTest, WarningsInWindowAreBroadcastWhateverTheLevel) {
    Debug::GlobalLogger logger;
    LogWindow window;
    Message_System::GetInstance()->RegisterHandler(SD::MessageIds::LogInWindowMessage, &window, &LogWindow::On);
    qvtest::StderrCapture err;
    Debug::LogWarningInWindow(9, "level.cpp", 42, "SD::Level::Load", "missing %s", "tree.xml");
    EXPECT_EQ(err.Text(), "") << "level 9 is not printed";
    ASSERT_EQ(window.count, 1);
    EXPECT_EQ(window.title, "Warning");
    EXPECT_EQ(window.kind, 3);
    EXPECT_EQ(window.format, "%d>%s(%d) : warning in function %s : %s\n");
    EXPECT_EQ(window.types, "31311");
    EXPECT_EQ(window.level, 9);
    EXPECT_EQ(window.file, "level.cpp");
    EXPECT_EQ(window.line, 42);
    EXPECT_EQ(window.function, "SD::Level::Load");
    EXPECT_EQ(window.text, "missing tree.xml");

    Debug::LogWarning(3, "a.cpp", 1, "f", "plain");
    EXPECT_EQ(window.count, 1) << "plain warnings stay off the window";

    // Without the message system nothing is broadcast and nothing re-creates it.
    Message_System::DestroyInstance();
    Debug::LogWarningInWindow(9, "level.cpp", 43, "SD::Level::Load", "after");
    EXPECT_EQ(window.count, 1);
}

TEST(LogLine, ConversionLettersTypeTheArguments) {
    int object = 0;
    SD::LogLine line;
    line.Fill("%c %5.2f %p %i x%s%d", 'q', 2.5, static_cast<void*>(&object), -4, "s", 8);
    ASSERT_EQ(line.count, 6);
    const int types[] = {LogArgument::Character, LogArgument::Float,  LogArgument::Pointer,
                         LogArgument::Integer,   LogArgument::String, LogArgument::Integer};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(line.args[i].type, types[i]) << i;
    EXPECT_EQ(line.args[0].character, 'q');
    EXPECT_EQ(line.args[1].real, 2.5f);
    EXPECT_EQ(line.args[2].pointer, &object);
    EXPECT_EQ(line.args[3].integer, -4);
    EXPECT_STREQ(line.args[4].text, "s");
    EXPECT_EQ(line.args[5].integer, 8);

    SD::LogLine many;
    many.Fill("%d%d%d%d%d%d%d%d%d%d%d%d", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
    EXPECT_EQ(many.count, SD::LogLine::kMaxArguments);
    EXPECT_EQ(many.args[9].integer, 10);
}

struct ProfileWatcher {
    std::string name;
    double seconds = -1.0;
    void On(IMessage* m) {
        auto* event = static_cast<SD::ProfileEvent*>(m);
        name = event->name;
        seconds = event->seconds;
    }
};

TEST_F(CoreMessagesTest, AProfileScopeBroadcastsItsDuration) {
    platform::ManualClock clock;
    platform::ScopedClock scoped(clock);
    ProfileWatcher watcher;
    Message_System::GetInstance()->RegisterHandler(SD::MessageIds::ProfileEvent, &watcher, &ProfileWatcher::On);
    {
        SD::ProfileScope scope("Physics");
        clock.Advance(0.25);
        EXPECT_EQ(watcher.seconds, -1.0);
    }
    EXPECT_EQ(watcher.name, "Physics");
    EXPECT_DOUBLE_EQ(watcher.seconds, 0.25);
}

}  // namespace
