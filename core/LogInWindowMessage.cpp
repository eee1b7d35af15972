#include "core/LogInWindowMessage.h"

#include "core/ErrorReport.h"
#include "core/MessageSystem.h"

namespace SD {
namespace {
constexpr const char* kLineFormat = "%d>%s(%d) : warning in function %s : %s\n";
}

void LogLine::Fill(const char* lineFormat, ...) {
    va_list list;
    va_start(list, lineFormat);
    VFill(lineFormat, list);
    va_end(list);
}

void LogLine::VFill(const char* lineFormat, va_list list) {
    format = lineFormat;
    count = 0;
    for (char type : Debug::ExtractFormatTypes(lineFormat)) {
        if (count >= kMaxArguments) break;
        LogArgument& arg = args[count++];
        switch (type) {
            case 'c':
                arg.type = LogArgument::Character;
                arg.character = static_cast<char>(va_arg(list, int));
                break;
            case 'd':
            case 'i':
                arg.type = LogArgument::Integer;
                arg.integer = va_arg(list, int);
                break;
            case 'f':
                arg.type = LogArgument::Float;
                arg.real = static_cast<float>(va_arg(list, double));
                break;
            case 'p':
                arg.type = LogArgument::Pointer;
                arg.pointer = va_arg(list, const void*);
                break;
            default: /* 's' */
                arg.type = LogArgument::String;
                arg.text = va_arg(list, const char*);
                break;
        }
    }
}

LogInWindowMessage::LogInWindowMessage(unsigned level, const char* file, int lineNumber, const char* function,
                                       const char* text)
    : IMessage(MessageIds::LogInWindowMessage) {
    line.Fill(kLineFormat, static_cast<int>(level), file, lineNumber, function, text);
}

void BroadcastLogInWindow(unsigned level, const char* file, int line, const char* function, const char* text) {
    // Without the message system there is no window to show it: nothing creates one for a line.
    Message_System* messages = Singleton<Message_System>::Peek();
    if (!messages) return;
    LogInWindowMessage message(level, file, line, function, text);
    messages->SendMessage(message);
}

}  // namespace SD
