#include "sound/music/SxMusicEngine.h"

#include "sound/music/CSxMusicRenderer.h"

namespace SX::MusicEngine {

void GetDefaultInitSettings(SxMusicSettings& settings) { settings.fLookAheadScale = 1.0f; }

SXRESULT Init(SxMusicSettings* settings) { return CSxMusicRenderer::Init(settings ? settings->fLookAheadScale : 1.0f); }

void Term() { CSxMusicRenderer::Term(); }

SXRESULT GetPlayingSegmentInfo(SxPlayingID playingID, SxSegmentInfo& info, bool extrapolate) {
    return CSxMusicRenderer::GetPlayingSegmentInfo(playingID, info, extrapolate);
}

}  // namespace SX::MusicEngine
