#pragma once
// A text file of whitespace-separated values. A file opened for writing is written beside
// its final name and moved into place when it is closed, so a failed write never replaces a
// good file.
#include <cstdio>
#include <string>

#include "engine/IDataStream.h"

namespace Data {

class TextFileDataStream : public IDataStream {
public:
    static constexpr unsigned kWordBufferSize = 1024;

    TextFileDataStream() = default;
    ~TextFileDataStream() override;
    TextFileDataStream(const TextFileDataStream&) = delete;
    TextFileDataStream& operator=(const TextFileDataStream&) = delete;

    // mode is exactly "rt" (reading) or "wt" (writing); an open file is closed first.
    bool openFile(const char* path, const char* mode);
    // Closes the file; a written file then replaces the one at its path. False when a written
    // file could not be completed (the old file then stays).
    bool close();

    bool get(std::string& value) override;
    bool get(char* buffer, unsigned size) override;
    bool get(double& value) override;
    bool get(float& value) override;
    bool get(unsigned long& value) override;
    bool get(long& value) override;
    bool get(unsigned int& value) override;
    bool get(int& value) override;
    bool get(unsigned short& value) override;
    bool get(short& value) override;
    bool get(unsigned char& value) override;
    bool get(char& value) override;
    bool get(bool& value) override;
    bool get(void* data, unsigned size) override;

    bool write(const std::string& value) override;
    bool write(const char* text, unsigned length) override;
    bool write(double value) override;
    bool write(float value) override;
    bool write(unsigned long value) override;
    bool write(long value) override;
    bool write(unsigned int value) override;
    bool write(int value) override;
    bool write(unsigned short value) override;
    bool write(short value) override;
    bool write(unsigned char value) override;
    bool write(char value) override;
    bool write(bool value) override;
    bool write(const void* data, unsigned size) override;
    bool writeNewline() override;
    bool isGood() override;

private:
    enum class Direction { None, Read, Write };

    // Repositions between writing and reading, as C requires on one stream.
    bool BeginRead();
    bool BeginWrite();
    template <class T>
    bool Scan(const char* format, T& value);
    template <class T>
    bool Print(const char* format, T value);
    bool WriteText(const char* text, size_t length, unsigned desired);

    std::FILE* file_ = nullptr;
    std::string path_;
    // Where a file opened for writing is written until it is closed.
    std::string temporaryPath_;
    Direction direction_ = Direction::None;
};

}  // namespace Data
