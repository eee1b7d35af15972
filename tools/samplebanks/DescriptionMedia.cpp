// The verbs that write media into the bank: generated tones, phrases, noises, lines of notes
// and calls, and the one that takes a medium out of the bank into a file of its own.
#include <algorithm>
#include <cmath>
#include <map>

#include "tools/samplebanks/DescriptionSignals.h"
#include "tools/samplebanks/DescriptionVerbs.h"

namespace samplebanks {

namespace {

constexpr uint32_t kToneRate = 48000;

bool MediaVerb(Line& line) {
    std::string a;
    size_t size;
    unsigned fill;
    if (!(line.args >> a >> size >> fill) || size > kMostMediaBytes || fill > 255) return false;
    return AddMediaBytes(line.File(), ID(a), bw::Bytes(size, static_cast<uint8_t>(fill)));
}

bool ToneVerb(Line& line) {
    std::string a;
    double hz, seconds, db;
    if (!(line.args >> a >> hz >> seconds >> db) || !(hz > 0.0 && hz < kToneRate / 2.0) ||
        !(seconds > 0.0 && seconds <= 60.0) || !(db <= 0.0 && db >= -96.0))
        return false;
    const auto frames = static_cast<uint32_t>(seconds * kToneRate);
    return AddMedia(line.File(), a, QV::media::Sine(hz, std::pow(10.0, db / 20.0), frames, kToneRate, 0x4),
                    QV::media::Encoding::Pcm16);
}

bool AdpcmToneVerb(Line& line) {
    std::string a;
    double hz, ms;
    if (!(line.args >> a >> hz >> ms) || !(hz > 0.0 && hz < 24000.0) || !(ms > 0.0 && ms <= 60000.0)) return false;
    const auto frames = static_cast<uint32_t>(ms * 48);
    return AddMedia(line.File(), a, QV::media::Sine(hz, 0.25, frames, 48000, QV::media::DefaultChannelMask(1)),
                    QV::media::Encoding::Adpcm);
}

bool ChordVerb(Line& line) {
    std::string a;
    float seconds, db, hz;
    std::vector<double> notes;
    if (!(line.args >> a >> seconds >> db) || !(seconds > 0.0f && seconds <= 30.0f) || !Level(db)) return false;
    while (line.args >> hz) {
        if (!(hz > 0.0f && hz < 20000.0f)) return false;
        notes.push_back(hz);
    }
    // A word that is not a frequency stops the list: only "pcm" may end it.
    QV::media::Encoding encoding = QV::media::Encoding::Adpcm;
    if (!line.args.eof()) {
        line.args.clear();
        if (!ReadEncoding(line.args, encoding) || encoding != QV::media::Encoding::Pcm16) return false;
    }
    return !notes.empty() && AddMedia(line.File(), a, Chord(notes, seconds, Amplitude(db)), encoding);
}

bool PhraseVerb(Line& line) {
    std::string a;
    float hz, db;
    unsigned syllables;
    if (!(line.args >> a >> hz >> syllables >> db) || !(hz > 20.0f && hz < 4000.0f) || syllables == 0 ||
        syllables > 40 || !Level(db))
        return false;
    QV::media::Encoding encoding;
    return ReadEncoding(line.args, encoding) &&
           AddMedia(line.File(), a, Phrase(hz, syllables, Amplitude(db)), encoding);
}

bool NoiseVerb(Line& line) {
    std::string a;
    float hz, seconds, db;
    if (!(line.args >> a >> hz >> seconds >> db) || !(hz > 10.0f && hz < 20000.0f) ||
        !(seconds > 0.0f && seconds <= 30.0f) || !Level(db))
        return false;
    QV::media::Encoding encoding;
    return ReadEncoding(line.args, encoding) &&
           AddMedia(line.File(), a, Noise(hz, seconds, Amplitude(db), ID(a)), encoding);
}

bool HowlVerb(Line& line) {
    std::string a;
    float low, high, seconds, db;
    if (!(line.args >> a >> low >> high >> seconds >> db) || !(low > 10.0f && low < high && high < 10000.0f) ||
        !(seconds >= 1.0f && seconds <= 30.0f) || !Level(db))
        return false;
    QV::media::Encoding encoding;
    return ReadEncoding(line.args, encoding) &&
           AddMedia(line.File(), a, Howl(low, high, seconds, Amplitude(db), ID(a)), encoding);
}

// The words of a list to the end of the line, and its encoding: ADPCM, or 16-bit PCM when the
// list is followed by "pcm" as the line's last word.
bool ReadList(std::istringstream& args, std::vector<std::string>& items, QV::media::Encoding& encoding) {
    encoding = QV::media::Encoding::Adpcm;
    for (std::string word; args >> word;) {
        if (word == "pcm") {
            encoding = QV::media::Encoding::Pcm16;
            return !(args >> word);
        }
        items.push_back(word);
    }
    return true;
}

// C4, F#5, Bb3: a note's frequency in equal temperament, A4 at 440 Hz.
bool NoteHz(const std::string& name, double& hz) {
    static const std::map<char, int> kSteps = {{'C', -9}, {'D', -7}, {'E', -5}, {'F', -4},
                                               {'G', -2}, {'A', 0},  {'B', 2}};
    if (name.size() < 2 || !kSteps.count(name[0])) return false;
    int semitones = kSteps.at(name[0]);
    size_t at = 1;
    if (name[at] == '#' || name[at] == 'b') semitones += name[at++] == '#' ? 1 : -1;
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '8') return false;
    semitones += 12 * (name[at] - '4');
    hz = 440.0 * std::exp2(semitones / 12.0);
    return true;
}

// <Note>[+<Note>...]:<beats>, or r:<beats> for a rest.
bool ReadNote(const std::string& word, Note& note) {
    const size_t colon = word.rfind(':');
    float beats;
    if (colon == std::string::npos || !Number(word.substr(colon + 1), beats) || !(beats > 0.0f && beats <= 64.0f))
        return false;
    note.beats = beats;
    if (word.compare(0, colon, "r") == 0) return true;
    if (colon == 0 || word[0] == '+' || word[colon - 1] == '+') return false;
    for (const std::string& name : Split(word.substr(0, colon), '+')) {
        double hz;
        if (!NoteHz(name, hz)) return false;
        note.hz.push_back(hz);
    }
    return !note.hz.empty();
}

bool NotesVerb(Line& line) {
    static const std::map<std::string, Voice> kVoices = {{"pluck", Voice::Pluck}, {"bell", Voice::Bell},
                                                         {"pad", Voice::Pad},     {"bass", Voice::Bass},
                                                         {"flute", Voice::Flute}, {"reed", Voice::Reed}};
    std::string a, voice;
    float bpm, beats, db;
    std::vector<std::string> items;
    QV::media::Encoding encoding;
    if (!(line.args >> a >> voice >> bpm >> beats >> db) || !kVoices.count(voice) || !(bpm >= 20.0f && bpm <= 400.0f) ||
        !(beats > 0.0f && beats * 60.0f / bpm <= 30.0f) || !Level(db) || !ReadList(line.args, items, encoding))
        return false;
    std::vector<Note> notes(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        if (!ReadNote(items[i], notes[i])) return false;
    return !notes.empty() &&
           AddMedia(line.File(), a, Notes(kVoices.at(voice), bpm, beats, notes, Amplitude(db)), encoding);
}

bool ChirpVerb(Line& line) {
    std::string a;
    float db;
    std::vector<std::string> items;
    QV::media::Encoding encoding;
    if (!(line.args >> a >> db) || !Level(db) || !ReadList(line.args, items, encoding)) return false;
    std::vector<Sweep> sweeps;
    double seconds = 0.0;
    for (const std::string& word : items) {
        const std::vector<std::string> parts = Split(word, ':');
        float from, to, ms;
        if (parts.size() != 3 || !Number(parts[0], from) || !Number(parts[1], to) || !Number(parts[2], ms) ||
            !(from > 20.0f && from < 11000.0f) || !(to > 20.0f && to < 11000.0f) || !(ms >= 5.0f && ms <= 2000.0f))
            return false;
        sweeps.push_back({from, to, ms});
        seconds += ms / 1000.0;
    }
    return !sweeps.empty() && seconds <= 10.0 && AddMedia(line.File(), a, Chirps(sweeps, Amplitude(db)), encoding);
}

// streamed <Name> | streamed-vorbis <Name>: the medium leaves the bank for a file of its own.
bool StreamedVerb(Line& line, bool vorbis) {
    std::string name;
    if (!(line.args >> name)) return false;
    bw::BankFile& file = line.File();
    const auto media = std::find_if(file.media.begin(), file.media.end(),
                                    [&name](const bw::Media& m) { return m.id == ID(name) && IsMediaFile(m.bytes); });
    if (media == file.media.end()) return false;
    // The encoder reads 16-bit PCM.
    uint32_t size;
    if (vorbis && CodecOf(file, media->id, size) != kPcmCodec) return false;
    line.Bank().streamed.push_back(std::move(*media));
    file.media.erase(media);
    if (vorbis) line.Bank().vorbis.push_back(ID(name));
    return true;
}

}  // namespace

std::vector<Verb> MediaVerbs() {
    return {
        {"media", MediaVerb},
        {"tone", ToneVerb},
        {"adpcm-tone", AdpcmToneVerb},
        {"chord", ChordVerb},
        {"phrase", PhraseVerb},
        {"noise", NoiseVerb},
        {"howl", HowlVerb},
        {"notes", NotesVerb},
        {"chirp", ChirpVerb},
        {"streamed", [](Line& line) { return StreamedVerb(line, false); }},
        {"streamed-vorbis", [](Line& line) { return StreamedVerb(line, true); }},
    };
}

}  // namespace samplebanks
