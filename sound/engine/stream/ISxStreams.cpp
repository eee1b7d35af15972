#include "sound/engine/stream/ISxStreams.h"

namespace SX {
// Set by the stream manager while it runs; the engine's streamed sources open their streams here.
ISxStreamMgr* ISxStreamMgr::m_pStreamMgr = nullptr;
}  // namespace SX
