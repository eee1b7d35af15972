#pragma once
// What tests read of the graphics device beyond the command lists (frames presented, resets
// made, whether a scene is open, whether a surface's fill still waits) and the failures they
// force on it: creations, resets, the device itself.
#include <cstdint>

#include "platform/TestProbe.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Objects.h"

template <>
struct platform::TestProbe<platform::gfx::Device> {
    using Device = platform::gfx::Device;
    static uint64_t PresentedFrames(const Device& device) { return device.presented_; }
    static uint32_t ResetCount(const Device& device) { return device.resets_; }
    static bool InScene(const Device& device) { return device.inScene_; }
    // The next `count` resets fail with the code, whatever the device's state.
    static void FailResets(Device& device, uint32_t count, platform::gfx::Result code) {
        device.failResets_ = count;
        device.failResetCode_ = code;
    }
    // The next `count` texture and buffer creations fail with kOutOfMemory.
    static void FailCreations(Device& device, uint32_t count) { device.failCreations_ = count; }
};

template <>
struct platform::TestProbe<platform::gfx::Driver> {
    // The next creation fails with kNotFound (no usable adapter).
    static void FailNextCreate(platform::gfx::Driver& driver) { driver.failNextCreate_ = true; }
};

template <>
struct platform::TestProbe<platform::gfx::Surface> {
    // Whether a fill waits to be written; ReadPixel answers from it without writing it.
    static bool HasPendingFill(const platform::gfx::Surface& surface) { return surface.pending_.waiting; }
};
