#include "tools/samplebanks/BankDescription.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

#include "tools/samplebanks/DescriptionVerbs.h"

namespace samplebanks {

namespace {

// Every verb but "bank", by name.
const std::map<std::string, Verb>& VerbsByName() {
    static const std::map<std::string, Verb> verbs = [] {
        std::map<std::string, Verb> all;
        for (const auto& table : {MediaVerbs(), HierarchyVerbs(), EffectVerbs(), MusicVerbs(), SettingsVerbs()})
            for (const Verb& verb : table) all.emplace(verb.name, verb);
        return all;
    }();
    return verbs;
}

// bank <Name> [motion]: a motion bank's nodes may play on the pad.
bool StartBank(std::istringstream& args, std::vector<NamedBank>& banks) {
    NamedBank bank;
    std::string kind;
    if (!(args >> bank.name) || (args >> kind && kind != "motion")) return false;
    bank.file.id = ID(bank.name);
    bank.file.feedback = kind == "motion" ? 1 : 0;
    banks.push_back(std::move(bank));
    return true;
}

bool Apply(const std::string& verb, std::istringstream& args, std::vector<NamedBank>& banks) {
    if (verb == "bank") return StartBank(args, banks);
    const auto found = VerbsByName().find(verb);
    if (banks.empty() || found == VerbsByName().end()) return false;
    // Music nodes carry no motion bus.
    if (verb.compare(0, 6, "music-") == 0 && banks.back().file.feedback != 0) return false;
    Line line{args, banks};
    return found->second.apply(line);
}

}  // namespace

bool ReadDescription(std::istream& in, std::vector<NamedBank>& banks, std::string& error) {
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        // A comment starts with a word that starts with '#' (a sharp inside a note name is none).
        for (size_t hash = line.find('#'); hash != std::string::npos; hash = line.find('#', hash + 1))
            if (hash == 0 || std::isspace(static_cast<unsigned char>(line[hash - 1]))) {
                line.erase(hash);
                break;
            }
        std::istringstream args(line);
        std::string verb;
        if (!(args >> verb)) continue;
        if (!Apply(verb, args, banks)) {
            error = "line " + std::to_string(number) + ": cannot read \"" + line + "\"";
            return false;
        }
    }
    return true;
}

}  // namespace samplebanks
