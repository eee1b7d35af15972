#pragma once
// A warning meant for the screen, broadcast by the logger's warning-in-window.
#include <cstdarg>

#include "core/Message.h"
#include "core/MessageIds.h"

namespace SD {

// One argument of a log line, typed by the conversion letter that took it.
struct LogArgument {
    enum Type : int { None = 0, String = 1, Integer = 3, Float = 4, Character = 5, Pointer = 6 };
    int type = None;
    union {
        const char* text;
        int integer;
        float real;
        char character;
        const void* pointer;
    };
    LogArgument() : pointer(nullptr) {}
};

// A format and the arguments its conversions take. After a '%', each of the letters c, d,
// f, i, p and s met before the next blank or line feed takes the next argument (c as a
// character, d and i as integers, f as a float, p as a pointer, s as a string), at most
// kMaxArguments of them. The texts are not copied: the record lives only for the send.
struct LogLine {
    static constexpr int kMaxArguments = 10;
    const char* format = nullptr;
    LogArgument args[kMaxArguments];
    int count = 0;

    void Fill(const char* lineFormat, ...);
    void VFill(const char* lineFormat, va_list list);
};

class LogInWindowMessage : public IMessage {
public:
    static constexpr int kKind = 3;
    // The logger's line (level, file, line, function and formatted text) in its own format.
    LogInWindowMessage(unsigned level, const char* file, int line, const char* function, const char* text);

    const char* title = "Warning";
    LogLine line;
    unsigned reserved[2] = {0, 0};
    int kind = kKind;
};

// Broadcasts a line the logger printed for the log window, if the message system exists.
void BroadcastLogInWindow(unsigned level, const char* file, int line, const char* function, const char* text);

}  // namespace SD
