#pragma once
// The base of every message: a type id set by the subclass. Messages are passed by pointer
// and live only for the call; the sender owns them.

namespace SD {

class IMessage {
public:
    explicit IMessage(int type) : type_(type) {}
    IMessage(const IMessage&) = default;
    IMessage& operator=(const IMessage&) = default;
    virtual ~IMessage() = default;

    int GetType() const { return type_; }

protected:
    int type_;
};

}  // namespace SD
