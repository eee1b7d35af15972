#pragma once
// The music callbacks a playing segment gives during one audio frame: its entry and exit
// cues, bars, beats, grid lines and user cues, each with its sample offset in the frame.
#include <cstdint>
#include <vector>

#include "sound/music/SxMusicSync.h"

namespace SX {

enum SxMusicCallbackBit : uint32_t {
    SxMusicCallback_Beat = 0x100,
    SxMusicCallback_Bar = 0x200,
    SxMusicCallback_Entry = 0x400,
    SxMusicCallback_Exit = 0x800,
    SxMusicCallback_Grid = 0x1000,
    SxMusicCallback_UserCue = 0x2000,
    SxMusicCallback_AllGrid = 0xFF00,
    // Not a grid callback: a switch's change became current at its sync point.
    SxMusicCallback_SwitchChange = 0x4000,
    SxMusicCallback_SegmentInfo = 0x20000,
};

struct SxMusicNotification {
    uint32_t bit;
    int32_t offset;  // samples into the frame
};

// The notifications asked for by flags for the frame that takes the segment from position p0
// to p1 (entry-relative): the entry when 0 lies in [p0, p1), the exit when the exit cue does,
// one bar, beat and grid line per boundary in [p0, p1) within the active part (none for a
// step of 0), one per user cue in [p0, p1). Appended to out in time order.
void SxNotifyGrid(const SxSegmentTiming& segment, int32_t p0, int32_t p1, uint32_t flags,
                  std::vector<SxMusicNotification>& out);

}  // namespace SX
