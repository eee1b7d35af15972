#include "sound/music/SxGridNotifier.h"

#include <algorithm>

namespace SX {
namespace {

void AddSteps(uint32_t bit, int64_t first, int64_t step, int64_t from, int64_t to, int64_t p0,
              std::vector<SxMusicNotification>& out) {
    if (step <= 0 || from >= to) return;
    int64_t b = first >= from ? first : first + (from - first + step - 1) / step * step;
    for (; b < to; b += step) out.push_back({bit, static_cast<int32_t>(b - p0)});
}

}  // namespace

void SxNotifyGrid(const SxSegmentTiming& segment, int32_t p0, int32_t p1, uint32_t flags,
                  std::vector<SxMusicNotification>& out) {
    if (!(flags & SxMusicCallback_AllGrid) || p1 <= p0) return;
    const size_t begin = out.size();
    const int64_t active = segment.Active();
    const auto inFrame = [&](int64_t p) { return p >= p0 && p < p1; };
    if ((flags & SxMusicCallback_Entry) && inFrame(0)) out.push_back({SxMusicCallback_Entry, -p0});
    // Boundaries of the active part only: the post-exit overlaps the music that follows.
    const int64_t from = std::max<int64_t>(p0, 0);
    const int64_t to = std::min<int64_t>(p1, active);
    if (flags & SxMusicCallback_Bar) AddSteps(SxMusicCallback_Bar, 0, segment.grid.bar, from, to, p0, out);
    if (flags & SxMusicCallback_Beat) AddSteps(SxMusicCallback_Beat, 0, segment.grid.beat, from, to, p0, out);
    if (flags & SxMusicCallback_Grid)
        AddSteps(SxMusicCallback_Grid, segment.grid.gridOffset, segment.grid.gridPeriod, from, to, p0, out);
    if (flags & SxMusicCallback_UserCue) {
        for (size_t i = 1; i + 1 < segment.cues.size(); ++i) {
            const int64_t p = int64_t(segment.cues[i].position) - segment.PreEntry();
            if (inFrame(p)) out.push_back({SxMusicCallback_UserCue, static_cast<int32_t>(p - p0)});
        }
    }
    if ((flags & SxMusicCallback_Exit) && inFrame(active))
        out.push_back({SxMusicCallback_Exit, static_cast<int32_t>(active - p0)});
    std::stable_sort(out.begin() + static_cast<std::ptrdiff_t>(begin), out.end(),
                     [](const SxMusicNotification& a, const SxMusicNotification& b) { return a.offset < b.offset; });
}

}  // namespace SX
