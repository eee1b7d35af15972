#include "sound/engine/vorbis/SxVorbisDecodeBuffer.h"

#include "sound/engine/lower/CSxLEngine.h"

namespace SX {

int16_t* SxVorbisDecodeBuffer::Acquire(uint32_t channels) {
    if (!m_frames) {
        m_bytes = channels * 2048;
        m_frames = static_cast<int16_t*>(CSxLEngine::GetCachedAudioBuffer(m_bytes));
    }
    return m_frames;
}

void SxVorbisDecodeBuffer::Release() {
    if (m_frames) CSxLEngine::ReleaseCachedAudioBuffer(m_bytes, m_frames);
    m_frames = nullptr;
}

}  // namespace SX
