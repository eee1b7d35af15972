#include "sound/plugins/synth/SxSynthParams.h"

#include "sound/engine/plugin/SxPluginDsp.h"

namespace SX {

int SxSetSynthValue(SxSynthValue* values, const int* ids, int count, int gainIndex, int paramID, float v) {
    for (int k = 0; k < count; ++k) {
        if (paramID == ids[k])
            values[k].base = k == gainIndex ? SxParamDbToLinear(v) : v;
        else if (paramID == ids[k] + 1)
            values[k].range = v;
        else if (paramID == ids[k] + 2)
            values[k].curveOn = uint8_t(v != 0.0f);
        else
            continue;
        return k;
    }
    return -1;
}

int SxSynthValueOfID(const int* ids, int count, uint32_t id) {
    for (int k = 0; k < count; ++k)
        if (uint32_t(ids[k]) == id) return k;
    return 0;
}

void SxReadSynthValues(SxBlockCursor& cursor, SxSynthValue* values, int count, int gainIndex) {
    for (int k = 0; k < count; ++k) {
        cursor.Read(values[k].base);
        cursor.Read(values[k].range);
        cursor.Read(values[k].curveOn);
    }
    values[gainIndex].base = SxParamDbToLinear(values[gainIndex].base);
}

uint32_t SxSynthShape::MaskOfConfiguration(uint16_t configuration) {
    return configuration == 0 ? 0x4 : configuration == 2 ? 0x33 : 0x3;
}

void SxSynthShape::ReadShape(SxBlockCursor& cursor) {
    uint16_t configuration = 0;
    cursor.Read(duration);
    cursor.Read(durationRange);
    cursor.Read(configuration);
    channelMask = MaskOfConfiguration(configuration);
    cursor.Read(referenceDistance);
    cursor.Read(rolloff);
    cursor.Read(speedExponent);
    cursor.Read(timeScale);
}

bool SxSynthShape::SetShapeValue(int16_t paramID, float v) {
    switch (paramID) {
        case 42:
            duration = v;
            return true;
        case 43:
            durationRange = v;
            return true;
        case 44:
            referenceDistance = v;
            return true;
        case 45:
            rolloff = v;
            return true;
        default:
            return false;
    }
}

}  // namespace SX
