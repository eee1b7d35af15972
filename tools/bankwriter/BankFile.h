#pragma once
// Whole bank files: the header, settings, environment, media index and data, string table
// and hierarchy chunks, each {4-character tag, u32 body size, body}. Used by the tests, the
// fuzz seeds, the benchmarks and the tool that writes the sample banks.
#include <string>
#include <utility>
#include <vector>

#include "tools/bankwriter/BankWriter.h"

namespace bankwriter {

struct StateTransition {
    uint32_t from, to, ms;
};
struct StateGroupSettings {
    uint32_t id;
    uint32_t defaultMs = 0;
    std::vector<StateTransition> transitions;
};
// A switch group following a game parameter: x the parameter's value, the switch ID at it.
struct SwitchPoint {
    float x;
    uint32_t switchID;
    uint32_t shape;
};
struct SwitchMapping {
    uint32_t switchGroup, gameParameter;
    std::vector<SwitchPoint> points;
};
struct GlobalSettings {
    float volumeThreshold = -50.0f;
    uint16_t maxVoices = 50;
    std::vector<StateGroupSettings> stateGroups;
    std::vector<SwitchMapping> switchMappings;
    std::vector<std::pair<uint32_t, float>> gameParameterDefaults;
};
struct EnvironmentCurve {
    bool enabled = false;
    uint8_t scaling = 0;
    std::vector<Point> points;
};
struct Media {
    uint32_t id;
    Bytes bytes;
};

struct BankFile {
    uint32_t id = 0;
    uint32_t version = 62;
    uint32_t feedback = 0;
    bool withSettings = false;
    GlobalSettings settings;
    bool withEnvironment = false;
    EnvironmentCurve environment[4];  // obstruction volume, obstruction filter, occlusion volume, occlusion filter
    std::vector<Media> media;         // each placed at a 16-byte boundary of the data
    std::vector<std::pair<uint32_t, std::string>> bankNames;
    std::vector<Bytes> records;  // hierarchy records (Record())
};

Bytes Chunk(const char* tag, const Bytes& body);
Bytes HeaderChunk(uint32_t bankID, uint32_t version = 62, uint32_t feedback = 0);
Bytes SettingsChunk(const GlobalSettings& settings);
Bytes EnvironmentChunk(const EnvironmentCurve (&curves)[4]);
// The media index ("DIDX") and the data ("DATA"), in that order.
Bytes MediaChunks(const std::vector<Media>& media);
Bytes StringChunk(const std::vector<std::pair<uint32_t, std::string>>& names);
Bytes WriteBank(const BankFile& bank);

// Offset of the first chunk with the tag (its 8-byte header), or bank.size() when none.
size_t ChunkOffset(const Bytes& bank, const char* tag);

}  // namespace bankwriter
