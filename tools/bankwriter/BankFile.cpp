#include "tools/bankwriter/BankFile.h"

#include <cstring>

namespace bankwriter {

namespace {
uint32_t U32At(const Bytes& bytes, size_t offset) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= uint32_t(bytes[offset + i]) << (8 * i);
    return v;
}
Writer& Points(Writer& w, const std::vector<Point>& points) {
    for (const Point& p : points) w.F32(p.x).F32(p.y).U32(p.shape);
    return w;
}
}  // namespace

Bytes Chunk(const char* tag, const Bytes& body) {
    Writer w;
    for (int i = 0; i < 4; ++i) w.U8(static_cast<uint8_t>(tag[i]));
    return w.U32(static_cast<uint32_t>(body.size())).Raw(body).Take();
}

Bytes HeaderChunk(uint32_t bankID, uint32_t version, uint32_t feedback) {
    return Chunk("BKHD", Writer().U32(version).U32(bankID).U32(0).U32(feedback).Take());
}

Bytes SettingsChunk(const GlobalSettings& s) {
    Writer w;
    w.F32(s.volumeThreshold).U16(s.maxVoices).U32(static_cast<uint32_t>(s.stateGroups.size()));
    for (const auto& group : s.stateGroups) {
        w.U32(group.id).U32(group.defaultMs).U32(static_cast<uint32_t>(group.transitions.size()));
        for (const auto& t : group.transitions) w.U32(t.from).U32(t.to).U32(t.ms);
    }
    w.U32(static_cast<uint32_t>(s.switchMappings.size()));
    for (const auto& m : s.switchMappings) {
        w.U32(m.switchGroup).U32(m.gameParameter).U32(static_cast<uint32_t>(m.points.size()));
        for (const auto& p : m.points) w.F32(p.x).U32(p.switchID).U32(p.shape);
    }
    w.U32(static_cast<uint32_t>(s.gameParameterDefaults.size()));
    for (const auto& d : s.gameParameterDefaults) w.U32(d.first).F32(d.second);
    return Chunk("STMG", w.Take());
}

Bytes EnvironmentChunk(const EnvironmentCurve (&curves)[4]) {
    Writer w;
    for (const auto& c : curves)
        Points(w.U8(c.enabled ? 1 : 0).U8(c.scaling).U16(static_cast<uint16_t>(c.points.size())), c.points);
    return Chunk("ENVS", w.Take());
}

Bytes MediaChunks(const std::vector<Media>& media) {
    Writer index;
    Bytes data;
    for (const Media& m : media) {
        data.resize((data.size() + 15) & ~size_t(15));
        index.U32(m.id).U32(static_cast<uint32_t>(data.size())).U32(static_cast<uint32_t>(m.bytes.size()));
        data.insert(data.end(), m.bytes.begin(), m.bytes.end());
    }
    Bytes out = Chunk("DIDX", index.Take());
    const Bytes dataChunk = Chunk("DATA", data);
    out.insert(out.end(), dataChunk.begin(), dataChunk.end());
    return out;
}

Bytes StringChunk(const std::vector<std::pair<uint32_t, std::string>>& names) {
    Writer w;
    w.U32(1).U32(static_cast<uint32_t>(names.size()));
    for (const auto& n : names) {
        // The length is one byte: a longer name is cut to 255 characters, never wrapped.
        const size_t length = n.second.size() < 255 ? n.second.size() : 255;
        w.U32(n.first).U8(static_cast<uint8_t>(length));
        for (size_t i = 0; i < length; ++i) w.U8(static_cast<uint8_t>(n.second[i]));
    }
    return Chunk("STID", w.Take());
}

Bytes WriteBank(const BankFile& bank) {
    Writer w;
    w.Raw(HeaderChunk(bank.id, bank.version, bank.feedback));
    if (bank.withSettings) w.Raw(SettingsChunk(bank.settings));
    if (bank.withEnvironment) w.Raw(EnvironmentChunk(bank.environment));
    if (!bank.media.empty()) w.Raw(MediaChunks(bank.media));
    if (!bank.bankNames.empty()) w.Raw(StringChunk(bank.bankNames));
    if (!bank.records.empty()) w.Raw(Chunk("HIRC", HircChunk(bank.records)));
    return w.Take();
}

size_t ChunkOffset(const Bytes& bank, const char* tag) {
    size_t offset = 0;
    while (offset + 8 <= bank.size()) {
        if (std::memcmp(bank.data() + offset, tag, 4) == 0) return offset;
        offset += 8 + size_t(U32At(bank, offset + 4));
    }
    return bank.size();
}

}  // namespace bankwriter
