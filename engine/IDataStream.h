#pragma once
// The typed read/write stream of object text files and material files.
#include <string>

namespace Data {

class IDataStream {
public:
    virtual ~IDataStream() = default;

    // A whitespace-delimited word of at most 1023 characters.
    virtual bool get(std::string& value) = 0;
    // A whitespace-delimited word; false (with the first size - 1 characters kept) when it
    // does not fit. The buffer is always terminated.
    virtual bool get(char* buffer, unsigned size) = 0;
    virtual bool get(double& value) = 0;
    virtual bool get(float& value) = 0;
    virtual bool get(unsigned long& value) = 0;
    virtual bool get(long& value) = 0;
    virtual bool get(unsigned int& value) = 0;
    virtual bool get(int& value) = 0;
    virtual bool get(unsigned short& value) = 0;
    virtual bool get(short& value) = 0;
    // The very next character, white space included.
    virtual bool get(unsigned char& value) = 0;
    virtual bool get(char& value) = 0;
    virtual bool get(bool& value) = 0;
    virtual bool get(void* data, unsigned size) = 0;

    // Every value is written followed by one space.
    virtual bool write(const std::string& value) = 0;
    virtual bool write(const char* text, unsigned length) = 0;
    virtual bool write(double value) = 0;
    virtual bool write(float value) = 0;
    virtual bool write(unsigned long value) = 0;
    virtual bool write(long value) = 0;
    virtual bool write(unsigned int value) = 0;
    virtual bool write(int value) = 0;
    virtual bool write(unsigned short value) = 0;
    virtual bool write(short value) = 0;
    virtual bool write(unsigned char value) = 0;
    virtual bool write(char value) = 0;
    virtual bool write(bool value) = 0;
    virtual bool write(const void* data, unsigned size) = 0;
    virtual bool writeNewline() = 0;
    virtual bool isGood() = 0;
};

}  // namespace Data
