#pragma once
// Declares the fourteen typed overrides of SD::IStream in a stream class and forwards each to
// the class's templates Named(value, name) and Value(value, label, typeName).
#define SD_ISTREAM_FORWARD_ONE(T)                                                    \
    void SerializeNamed(T& value, const char* name) override { Named(value, name); } \
    void Serialize(T& value, const char* label, const char* typeName) override { Value(value, label, typeName); }
#define SD_ISTREAM_FORWARD_ALL           \
    SD_ISTREAM_FORWARD_ONE(SharedString) \
    SD_ISTREAM_FORWARD_ONE(std::string)  \
    SD_ISTREAM_FORWARD_ONE(bool)         \
    SD_ISTREAM_FORWARD_ONE(double)       \
    SD_ISTREAM_FORWARD_ONE(float)        \
    SD_ISTREAM_FORWARD_ONE(unsigned int) \
    SD_ISTREAM_FORWARD_ONE(int)
