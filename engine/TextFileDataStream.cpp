#include "engine/TextFileDataStream.h"

#include <cctype>
#include <cstring>

#include "core/Logger.h"
#include "platform/os/Files.h"

namespace Data {

TextFileDataStream::~TextFileDataStream() { close(); }

bool TextFileDataStream::close() {
    if (!file_) return true;
    bool ok = true;
    if (!temporaryPath_.empty()) {
        ok = std::ferror(file_) == 0;
        ok = std::fclose(file_) == 0 && ok;
        if (ok) ok = std::rename(temporaryPath_.c_str(), path_.c_str()) == 0;
        if (!ok) {
            std::remove(temporaryPath_.c_str());
            SD_WARNING(Debug::kLogData, "Failed to complete the file \"%s\"; the previous file was kept.",
                       path_.c_str());
        }
    } else {
        std::fclose(file_);
    }
    file_ = nullptr;
    path_.clear();
    temporaryPath_.clear();
    direction_ = Direction::None;
    return ok;
}

bool TextFileDataStream::openFile(const char* path, const char* mode) {
    if (!path || !mode || (std::strcmp(mode, "rt") != 0 && std::strcmp(mode, "wt") != 0)) {
        SD_WARNING(Debug::kLogData, "Invalid mode for opening a read/write file.");
        return false;
    }
    if (file_) {
        SD_WARNING_IN_WINDOW(Debug::kLogNotice,
                             "Opening a file when one was already open.  Closing the previous file, \"%s\" in favor of "
                             "the new one, \"%s\".",
                             path_.c_str(), path);
        close();
    }
    path_ = platform::NativePath(path);
    if (mode[0] == 'w') {
        temporaryPath_ = path_ + ".tmp";
        file_ = std::fopen(temporaryPath_.c_str(), "w");
    } else {
        file_ = std::fopen(path_.c_str(), "r");
    }
    if (!file_) {
        SD_WARNING(Debug::kLogData, "Failed to open file \"%s\".", path);
        path_.clear();
        temporaryPath_.clear();
        return false;
    }
    direction_ = Direction::None;
    return true;
}

bool TextFileDataStream::BeginRead() {
    if (!file_) return false;
    if (direction_ == Direction::Write) std::fseek(file_, 0, SEEK_CUR);
    direction_ = Direction::Read;
    return true;
}

bool TextFileDataStream::BeginWrite() {
    if (!file_) return false;
    if (direction_ == Direction::Read) std::fseek(file_, 0, SEEK_CUR);
    direction_ = Direction::Write;
    return true;
}

template <class T>
bool TextFileDataStream::Scan(const char* format, T& value) {
    return BeginRead() && std::fscanf(file_, format, &value) == 1;
}

template <class T>
bool TextFileDataStream::Print(const char* format, T value) {
    return BeginWrite() && std::fprintf(file_, format, value) > 0;
}

bool TextFileDataStream::get(char* buffer, unsigned size) {
    if (!buffer || size == 0 || !BeginRead()) return false;
    int c;
    while ((c = std::getc(file_)) != EOF && std::isspace(c)) {
    }
    unsigned length = 0;
    for (; c != EOF && !std::isspace(c); c = std::getc(file_)) {
        if (length < size - 1) buffer[length] = static_cast<char>(c);
        ++length;
    }
    buffer[length < size - 1 ? length : size - 1] = '\0';
    while (c != EOF && std::isspace(c)) c = std::getc(file_);
    if (c != EOF) std::ungetc(c, file_);
    if (length == 0) return false;
    if (length > size - 1) {
        SD_WARNING(Debug::kLogSevere,
                   "BUFFER OVERWRITE!!  A string was written to a buffer which was too small to contain it.\nSource "
                   "file: \"%s\"\nBuffer size: %d\nAmount read: %d",
                   path_.c_str(), static_cast<int>(size), static_cast<int>(length));
        return false;
    }
    return true;
}

bool TextFileDataStream::get(std::string& value) {
    char buffer[kWordBufferSize] = {};
    const bool ok = get(buffer, kWordBufferSize);
    value = buffer;
    return ok;
}

bool TextFileDataStream::get(double& value) { return Scan("%lf", value); }
bool TextFileDataStream::get(float& value) { return Scan("%f", value); }
bool TextFileDataStream::get(unsigned long& value) { return Scan("%lu", value); }
bool TextFileDataStream::get(long& value) { return Scan("%ld", value); }
bool TextFileDataStream::get(unsigned int& value) { return Scan("%u", value); }
bool TextFileDataStream::get(int& value) { return Scan("%d", value); }
bool TextFileDataStream::get(unsigned short& value) { return Scan("%hu", value); }
bool TextFileDataStream::get(short& value) { return Scan("%hd", value); }
bool TextFileDataStream::get(unsigned char& value) { return Scan("%c", value); }
bool TextFileDataStream::get(char& value) { return Scan("%c", value); }

bool TextFileDataStream::get(bool& value) {
    int number = 0;
    const bool ok = Scan("%d", number);
    value = ok && number != 0;
    return ok;
}

bool TextFileDataStream::get(void* data, unsigned size) {
    if (!data || !BeginRead()) return false;
    const size_t got = std::fread(data, 1, size, file_);
    if (got < size) {
        SD_WARNING(
            Debug::kLogData,
            "Unable to read desired quantity of data from file.  This could be due to an error reading from the file, "
            "or from the End-Of-File being encountered.  Amount requested was %d bytes, amount read in was %d bytes.",
            static_cast<int>(size), static_cast<int>(got));
        return false;
    }
    return true;
}

bool TextFileDataStream::WriteText(const char* text, size_t length, unsigned desired) {
    if (!BeginWrite()) return false;
    size_t written = std::fwrite(text, 1, length, file_);
    if (std::fputc(' ', file_) != EOF) ++written;
    if (written < static_cast<size_t>(desired) + 1) {
        SD_WARNING(Debug::kLogData,
                   "Fewer characters were written to the file than was specified to be written.  Number written: %d.  "
                   "Number desired: %d.",
                   static_cast<int>(written > 0 ? written - 1 : 0), static_cast<int>(desired));
        return false;
    }
    return true;
}

bool TextFileDataStream::write(const std::string& value) {
    const size_t length = std::strlen(value.c_str());
    return WriteText(value.c_str(), length, static_cast<unsigned>(value.size()));
}

bool TextFileDataStream::write(const char* text, unsigned length) {
    if (!text) text = "";
    return WriteText(text, strnlen(text, length), length);
}

bool TextFileDataStream::write(double value) { return Print("%lf ", value); }
bool TextFileDataStream::write(float value) { return Print("%f ", static_cast<double>(value)); }
bool TextFileDataStream::write(unsigned long value) { return Print("%lu ", value); }
bool TextFileDataStream::write(long value) { return Print("%ld ", value); }
bool TextFileDataStream::write(unsigned int value) { return Print("%u ", value); }
bool TextFileDataStream::write(int value) { return Print("%d ", value); }
bool TextFileDataStream::write(unsigned short value) { return Print("%hu ", value); }
bool TextFileDataStream::write(short value) { return Print("%hd ", value); }
bool TextFileDataStream::write(unsigned char value) { return Print("%c ", value); }
bool TextFileDataStream::write(char value) { return Print("%c ", value); }
bool TextFileDataStream::write(bool value) { return Print("%d ", value ? 1 : 0); }

bool TextFileDataStream::write(const void* data, unsigned size) {
    if (!data || !BeginWrite()) return false;
    const size_t written = std::fwrite(data, 1, size, file_);
    if (written < size) {
        SD_WARNING(Debug::kLogData,
                   "Less data than specified was written to the file.  Amount written: %d.  Amount specified: %d.",
                   static_cast<int>(written), static_cast<int>(size));
        return false;
    }
    return true;
}

bool TextFileDataStream::writeNewline() {
    if (!BeginWrite()) return false;
    if (std::fputc('\n', file_) == EOF) {
        SD_WARNING(Debug::kLogData, "Failed to write a newline to the file.");
        return false;
    }
    return true;
}

bool TextFileDataStream::isGood() { return file_ && !std::feof(file_) && !std::ferror(file_); }

}  // namespace Data
