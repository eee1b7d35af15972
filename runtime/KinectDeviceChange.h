#pragma once
// Sent by the Kinect system each time it has opened a sensor.
#include "core/Message.h"
#include "core/MessageIds.h"

namespace QV {

class KinectDeviceChange : public SD::IMessage {
public:
    KinectDeviceChange() : IMessage(SD::MessageIds::KinectDeviceChange) {}
};

}  // namespace QV
