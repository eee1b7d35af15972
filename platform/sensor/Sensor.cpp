#include "platform/sensor/Sensor.h"

namespace platform::sensor {
namespace {

// No sensor: every request fails and no callback is ever made.
class AbsentRuntime : public Runtime {
public:
    int Initialize(uint32_t) override { return kNoSensor; }
    int EnableSkeletonTracking(Event*, uint32_t) override { return kNoSensor; }
    int GetNextSkeletonFrame(uint32_t, SkeletonFrame&) override { return kNoSensor; }
    int SmoothSkeletonFrame(SkeletonFrame&, const SmoothingParameters&) override { return kNoSensor; }
    void DisableSkeletonTracking() override {}
    void Shutdown() override {}
    int SetElevationAngle(long) override { return kNoSensor; }
    void SetDeviceStatusCallback(StatusCallback, void*) override {}
};

AbsentRuntime g_absent;
Runtime* g_runtime = nullptr;

}  // namespace

Runtime& CurrentRuntime() { return g_runtime ? *g_runtime : g_absent; }
void AttachRuntime(Runtime* runtime) { g_runtime = runtime; }

}  // namespace platform::sensor
