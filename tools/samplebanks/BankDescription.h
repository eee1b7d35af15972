#pragma once
// Bank files from a small text description, one directive a line (a word starting with '#'
// starts a comment);
// every ID is the sound engine's ID of a name, or the number itself for a name 0x12345678:
//   bank <Name> [motion]                         starts the bank <Name>.bnk; a motion bank's
//                                                nodes name a motion bus (no music in it)
//   volume-threshold <dB> | max-voices <n>       global settings
//   state-group <Group> <default ms>
//   state-transition <Group> <From> <To> <ms>
//   switch-mapping <SwitchGroup> <Parameter> <x>:<Switch>...
//   parameter <Name> <default>
//   environment <curve 0-3> <x>:<y>...           obstruction volume/filter, occlusion volume/filter
//   bank-name <Name>                             a bank the string table names
// Media, mono (tones at 48 kHz, the others at 24 kHz):
//   media <Name> <bytes> <fill byte>
//   tone <Name> <Hz> <seconds> <dB>              16-bit PCM sine
//   adpcm-tone <Name> <Hz> <ms>                  ADPCM sine at a quarter of full scale
//   chord <Name> <seconds> <dB> <Hz>... [pcm]    ADPCM (or 16-bit PCM) sines, peak at dB
//   phrase <Name> <Hz> <syllables> <dB> [pcm]    ADPCM (or 16-bit PCM) spoken-length tone phrase
//   noise <Name> <Hz> <seconds> <dB> [pcm]       ADPCM (or 16-bit PCM) noise resonating at Hz
//   howl <Name> <low Hz> <high Hz> <seconds> <dB> [pcm]   wind: noise ringing at a pitch that
//                                                wanders from low to high and back; loops seamlessly
//   notes <Name> <pluck|bell|pad|bass|flute|reed> <bpm> <beats> <dB> <Note>[+<Note>...]:<beats>...
//       [pcm]                                    a line of notes (C4, F#5, Bb3; r a rest) at the
//                                                tempo, in the voice, over a stem of that many beats
//   chirp <Name> <dB> <from Hz>:<to Hz>:<ms>... [pcm]   a call: sweeps 30 ms apart
//   streamed <Name>                              the medium leaves the bank for a file of its own,
//                                                which the sounds written after this stream
//   streamed-vorbis <Name>                       the same for a PCM medium, to be packed as Vorbis
// Objects; node options: parent=<Node> bus=<Bus> db=<dB> pitch=<cents> max=<instances on an
// object> effect=<Effect> 3d=<Attenuation> state=<Group>:<State>:<dB> rtpc=<Parameter>:<volume|pitch|lpf>:<x>:<y>...
// pitch-range=<cents>:<cents> db-range=<dB>:<dB> (drawn afresh for each play) and loop:
//   sound <Name> <Media> [<Parent>] [options]    a sound playing its media from the bank
//   mixer|random|sequence <Name> <Child>... [options]
//   random|sequence <Name> <Child>... continuous [trigger=<ms>|gap=<ms>:<ms>] [loop] [options]
//       one play goes through the children in a chain, each after the one before ends, each <ms>
//       after the one before started (trigger), or a time drawn between the two after it ended
//       (gap); loop: round and round until stopped
//   switch <Name> <switch|state> <Group> <Default> <Value>:<Child>[+<Child>]... [follow] [options]
//       the children of the group's value; follow: they change with the value while they play
//   bus <Name> [parent=<Bus>] [db=] [effect=<Effect>]... [duck=<Bus>:<dB>:<out ms>:<in ms>]...
//       [state=] [rtpc=] [env]                 env: its sounds send to the environments (effect
//                                              share sets) their game objects send to
//   motion-bus <Name> [parent=<Bus>] [db=]       a bus of the pad's motion
//   rumble <Name> <seconds> <left> <right> [bus=<Motion bus>] [options]   in a motion bank: the
//       pad's motors held at the levels (0 to 1) for that long
//   attenuation <Name> <distance>:<dB>...
//   limiter <Name> <ceiling dB> <threshold dB> <release s>
//   compressor|expander|peak-limiter <Name> <threshold dB> <ratio> <attack (look-ahead) s>
//       <release s> <gain dB>
//   eq <Name> <gain dB> <low-pass|high-pass|band-pass|notch|low-shelf|high-shelf|peak>:<Hz>:<dB>:<Q>...
//       up to three bands
//   delay <Name> <seconds> <feedback %> <wet %> <dB>
//   room-reverb <Name> <decay s> <room size %> <dry dB> <early dB> <reverb dB>
//   meter <Name> <Parameter> <attack s> <release s> <floor dB>   the level in dB to a parameter
//   device-sim <Name> <low cut Hz> <high cut Hz> <drive %> <mix %>
//   fdn-reverb <Name> <seconds> <wet dB>
//   modal <Name> <dry dB> <out dB> <Hz>:<bandwidth Hz>...   resonant modes a mono sound rings
//   wind <Name> <Hz> <Q> <dB> <Parameter>:<x>:<m/s>...   a wind synth for a sound of this bank or
//       a later one to name as its media:
//       one deflector ringing at Hz at the full speed of 48 m/s, the parameter giving the speed
//   whoosh <Name> <dB> <Parameter>:<x>:<m/s>... <Hz>:<Q>...   a whoosh synth (pink noise, at the
//       listener) for a sound to name as its media: deflectors ringing at Hz at 16 m/s, the
//       parameter giving the speed
//   tone-gen <Name> <dB> <sine|triangle|square|sawtooth|white-noise|pink-noise> <from Hz> <to Hz>
//       <spread Hz> <attack s> <decay s> <sustain dB> <hold s> <release s>   a synthesised tone
//       swept over its envelope, for a sound to name as its media
//   silence <Name> <seconds> <at least s> <at most s>   a gap, longer by a time drawn between the
//       two each time, for a sound to name as its media
//   event <Name> <Target>[,<Target>...] [<Bank>]  a play action for each target
//   stop-event <Name> <Target>                   stops the target on the posting object
//   pause-all <Name> | resume-all <Name>         every sound of every object
// Music:
//   music-track <Name> <Media> <at ms> <ms>      one clip of the media (a streamed one opened
//                                                200 ms ahead)
//   music-segment <Name> <bpm> <beats/bar> <ms> <Track>...   entry at 0, exit at the end
//   music-playlist <Name> <loops, 0 endless> [<order>] <Item>...   changing at each exit cue; an
//       item is a segment or a nested level "[<order>[*<loops>] <Item>... ]"; an order is
//       sequence (the default), random (each child once, in turn at random), sequence-step or
//       random-step (one child each time the level is entered)
//   music-switch <Name> <Group> <Default> <bar|beat|immediate> <fade ms> <Transition segment|->
//       <State>:<Child>... [bus=<Bus>] [stinger=<Trigger>:<Segment>:<bar|beat|immediate>:<ms>]...
//                                              children by the state of a state group; a
//                                              trigger plays the stinger's segment at the next
//                                              sync point, not again within the ms
#include <istream>
#include <string>
#include <utility>
#include <vector>

#include "tools/bankwriter/BankFile.h"

namespace samplebanks {

struct NamedBank {
    std::string name;
    bankwriter::BankFile file;
    // Media its sounds stream from files "<ID>.med" rather than hold in the bank.
    std::vector<bankwriter::Media> streamed;
    // The IDs of those that are to be packed as Vorbis (the file written here is 16-bit PCM).
    std::vector<uint32_t> vorbis;
};

// The banks in order; error gets "line N: ..." for the first bad line.
bool ReadDescription(std::istream& in, std::vector<NamedBank>& banks, std::string& error);

}  // namespace samplebanks
