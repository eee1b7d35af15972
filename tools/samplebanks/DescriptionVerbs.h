#pragma once
// The verbs of the sample banks' description, by what they write: media, the objects of the
// hierarchy, effects and synthesised sources, music, and the global settings. Each table pairs
// a verb with the function that applies its line.
#include <vector>

#include "tools/samplebanks/DescriptionWords.h"

namespace samplebanks {

std::vector<Verb> MediaVerbs();
std::vector<Verb> HierarchyVerbs();
std::vector<Verb> EffectVerbs();
std::vector<Verb> MusicVerbs();
std::vector<Verb> SettingsVerbs();

}  // namespace samplebanks
