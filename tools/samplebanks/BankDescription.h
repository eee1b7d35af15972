#pragma once
// Bank files from a small text description, one directive a line ('#' starts a comment);
// every ID is the sound engine's ID of a name:
//   bank <Name>                                  starts the bank <Name>.bnk
//   volume-threshold <dB> | max-voices <n>       global settings
//   state-group <Group> <default ms>
//   state-transition <Group> <From> <To> <ms>
//   switch-mapping <SwitchGroup> <Parameter> <x>:<Switch>...
//   parameter <Name> <default>
//   environment <curve 0-3> <x>:<y>...           obstruction volume/filter, occlusion volume/filter
//   bank-name <Name>                             a bank the string table names
//   media <Name> <bytes> <fill byte>
//   tone <Name> <Hz> <seconds> <dB>              16-bit PCM media of a sine, 48 kHz mono
//   (a sound whose media is a tone plays it from memory)
//   sound <Name> <Media> [<Parent>]
//   mixer <Name> <Child>... [volume <Parameter> <x>:<dB>...]   the volume curve over a game parameter
//   event <Name> <Target> [<Bank>]               one play action, "<Name>.play"
//   adpcm-tone <Name> <Hz> <ms>                  an ADPCM mono sine at 48000 Hz as media
//   music-track <Name> <Media> <at ms> <ms>      one clip of the media
//   music-segment <Name> <bpm> <beats/bar> <ms> <Track>...   entry at 0, exit at the end
//   music-playlist <Name> <loops> <Segment>...   a sequence, changing at each exit cue
#include <istream>
#include <string>
#include <utility>
#include <vector>

#include "tools/bankwriter/BankFile.h"

namespace samplebanks {

struct NamedBank {
    std::string name;
    bankwriter::BankFile file;
};

// The banks in order; error gets "line N: ..." for the first bad line.
bool ReadDescription(std::istream& in, std::vector<NamedBank>& banks, std::string& error);

}  // namespace samplebanks
