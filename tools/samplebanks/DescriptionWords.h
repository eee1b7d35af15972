#pragma once
// The words the lines of the sample banks' description are made of, shared by the verbs: IDs,
// numbers, "x:y" pairs, the options every node takes, and where a sound finds its media.
#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tools/bankwriter/BankFile.h"
#include "tools/mediawriter/MediaWriter.h"
#include "tools/samplebanks/BankDescription.h"

namespace samplebanks {

namespace bw = bankwriter;

// One line being applied: the words after its verb and the banks read so far, the last of
// which the line adds to.
struct Line {
    std::istringstream& args;
    std::vector<NamedBank>& banks;
    NamedBank& Bank() { return banks.back(); }
    bw::BankFile& File() { return banks.back().file; }
};

// A verb of the description and what it does with its line; false refuses the line.
struct Verb {
    const char* name;
    bool (*apply)(Line& line);
};

constexpr uint32_t kLinear = 4;  // curve shape of every point written here

// A name written as 0x followed by eight hex digits is that ID itself.
uint32_t ID(const std::string& name);
bool Number(const std::string& text, float& value);
// "x:y" with a number x.
bool Pair(const std::string& text, float& x, std::string& y);
std::vector<std::string> Split(const std::string& text, char separator);
bw::Bytes Floats(std::initializer_list<float> values);
// A level in dB that may stand for a sound: full scale or below, down to -96.
bool Level(float db);
float Amplitude(float db);

// The words of a line after its verb: "key=value" options and plain words, in order.
struct Words {
    std::vector<std::string> plain;
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> flags;  // "loop", "env", "continuous"

    explicit Words(std::istringstream& args);
    bool Flag(const char* name) const;
    // Takes the option out of the list; false when it is not there.
    bool Take(const char* key, std::string& value);
};

// rtpc=<Parameter>:<volume|pitch|lpf>:<x>:<y>:<x>:<y>...
bool ReadCurve(const std::string& owner, const std::string& text, bw::RTPCCurve& curve);
// state=<Group>:<State>:<dB>: the volume in that state, through a state object of its own.
bool ReadState(const std::string& owner, const std::string& text, std::vector<bw::StateGroupUse>& uses,
               bw::BankFile& file);
// The options every node takes (see BankDescription.h).
bool ReadNode(const std::string& owner, const Words& words, bw::BankFile& file, bw::NodeBase& node);

bool IsMediaFile(const bw::Bytes& data);
// The ID of an effect that a sound names in place of its media: a synthesised source.
uint32_t SourceEffectID(const std::string& name);
// The source that plays a medium of that name: from the bank with its codec, a synthesised
// source of that name, or a file of its own (Vorbis when it is to be packed so).
bw::Source MediaSource(const std::vector<NamedBank>& banks, const std::string& name);
// The codec of a medium of the bank's (PCM or ADPCM), its size in size; 1 when it has none.
uint32_t CodecOf(const bw::BankFile& file, uint32_t mediaID, uint32_t& size);
constexpr uint32_t kPcmCodec = 1u << 16 | 1;

// A bank holds at most 64 MB of media.
constexpr size_t kMostMediaBytes = 64u << 20;
bool AddMediaBytes(bw::BankFile& file, uint32_t id, bw::Bytes bytes);
bool AddMedia(bw::BankFile& file, const std::string& name, const QV::media::Signal& signal,
              QV::media::Encoding encoding);
// ADPCM unless the line ends in "pcm" (16-bit PCM); nothing else may follow.
bool ReadEncoding(std::istringstream& args, QV::media::Encoding& encoding);

}  // namespace samplebanks
