#include "sound/engine/lower/SxEnvironmentSends.h"

namespace SX {

uint32_t SxMergeEnvironmentValues(const SxEnvironmentValue* current, const SxEnvironmentValue* kept,
                                  SxEnvironmentSend out[SxMaxEnvironmentSends]) {
    uint32_t count = 0;
    for (uint32_t i = 0; i < SxMaxEnvironmentSends && current[i].environmentID != 0; ++i)
        out[count++] = {current[i].environmentID, current[i].value, 0.0f};
    for (uint32_t i = 0; i < SxMaxEnvironmentSends && kept[i].environmentID != 0; ++i) {
        bool found = false;
        for (uint32_t j = 0; j < count; ++j)
            if (out[j].environmentID == kept[i].environmentID) {
                out[j].previous = kept[i].value;
                found = true;
                break;
            }
        if (!found && count < SxMaxEnvironmentSends) out[count++] = {kept[i].environmentID, 0.0f, kept[i].value};
    }
    if (count < SxMaxEnvironmentSends) out[count] = SxEnvironmentSend();
    return count;
}

}  // namespace SX
