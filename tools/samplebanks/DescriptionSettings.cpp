// The verbs that write a bank's global settings: voices, state groups and their transitions,
// switches that follow game parameters, game parameters' defaults, the environment curves and
// the names of the banks.
#include "sound/engine/hierarchy/SxHircReader.h"
#include "tools/samplebanks/DescriptionVerbs.h"

namespace samplebanks {

namespace {

bw::GlobalSettings& Settings(Line& line) {
    line.File().withSettings = true;
    return line.File().settings;
}

bool StateGroupVerb(Line& line) {
    std::string a;
    uint32_t ms;
    if (!(line.args >> a >> ms)) return false;
    Settings(line).stateGroups.push_back({ID(a), ms, {}});
    return true;
}

bool StateTransitionVerb(Line& line) {
    std::string a, b, c;
    uint32_t ms;
    if (!(line.args >> a >> b >> c >> ms)) return false;
    for (auto& group : line.File().settings.stateGroups)
        if (group.id == ID(a)) {
            group.transitions.push_back({ID(b), ID(c), ms});
            return true;
        }
    return false;
}

bool SwitchMappingVerb(Line& line) {
    std::string a, b;
    if (!(line.args >> a >> b)) return false;
    bw::SwitchMapping mapping{ID(a), ID(b), {}};
    for (std::string point; line.args >> point;) {
        float x;
        std::string name;
        if (!Pair(point, x, name)) return false;
        mapping.points.push_back({x, ID(name), SX::SxCurve_Constant});
    }
    Settings(line).switchMappings.push_back(std::move(mapping));
    return true;
}

bool ParameterVerb(Line& line) {
    std::string a;
    float value;
    if (!(line.args >> a >> value)) return false;
    Settings(line).gameParameterDefaults.emplace_back(ID(a), value);
    return true;
}

bool EnvironmentVerb(Line& line) {
    unsigned index;
    if (!(line.args >> index) || index > 3) return false;
    bw::EnvironmentCurve& curve = line.File().environment[index];
    curve.enabled = true;
    for (std::string point; line.args >> point;) {
        float x, y;
        std::string text;
        if (!Pair(point, x, text) || !Number(text, y)) return false;
        curve.points.push_back({x, y, SX::SxCurve_Linear});
    }
    line.File().withEnvironment = true;
    return true;
}

bool BankNameVerb(Line& line) {
    std::string a;
    if (!(line.args >> a) || a.size() > 255) return false;
    line.File().bankNames.emplace_back(ID(a), a);
    return true;
}

}  // namespace

std::vector<Verb> SettingsVerbs() {
    return {
        {"volume-threshold", [](Line& line) { return static_cast<bool>(line.args >> Settings(line).volumeThreshold); }},
        {"max-voices", [](Line& line) { return static_cast<bool>(line.args >> Settings(line).maxVoices); }},
        {"state-group", StateGroupVerb},
        {"state-transition", StateTransitionVerb},
        {"switch-mapping", SwitchMappingVerb},
        {"parameter", ParameterVerb},
        {"environment", EnvironmentVerb},
        {"bank-name", BankNameVerb},
    };
}

}  // namespace samplebanks
