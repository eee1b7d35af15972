#pragma once
// What tests set and read of the debug text queue beyond what the graphics system uses: the
// current line's font and colour, which the next lines take, and the number of fonts filed.
#include <cstddef>

#include "graphics/DebugTextQueue.h"
#include "platform/TestProbe.h"

template <>
struct platform::TestProbe<Aperture::DebugTextQueue> {
    static Aperture::DebugTextQueue::Line& CurrentLine(Aperture::DebugTextQueue& queue) { return queue.current; }
    static size_t FontCount(const Aperture::DebugTextQueue& queue) { return queue.fonts.size(); }
};

using DebugTextProbe = platform::TestProbe<Aperture::DebugTextQueue>;
