#pragma once
// Keys held down as a test says, through the input system's injector: each code in the set is
// pressed every frame, and a code taken out of the set is released in the next frame.
#include <cstdint>
#include <set>

#include "runtime/Input.h"

namespace qvtest {

class HeldKeys : public SD::IInputInjector {
public:
    explicit HeldKeys(const std::set<uint32_t>* down) : down_(down) {}
    void Inject(uint8_t* pressed, uint8_t* releaseMask) override {
        for (uint32_t code : *down_) pressed[code] = 1;
        for (uint32_t code : last_)
            if (!down_->count(code)) releaseMask[code] = 0;
        last_ = *down_;
    }

private:
    const std::set<uint32_t>* down_;
    std::set<uint32_t> last_;
};

}  // namespace qvtest
