#pragma once
// Numbers of the window messages and of the flags inside them. They keep the values the engine
// was written against, so engine code and any real backend agree on them.
#include <cstdint>

namespace platform {
namespace msg {
constexpr uint32_t kDestroy = 0x0002;
constexpr uint32_t kSize = 0x0005;
constexpr uint32_t kActivate = 0x0006;
constexpr uint32_t kQuit = 0x0012;
constexpr uint32_t kNcCalcSize = 0x0083;
constexpr uint32_t kInput = 0x00FF;
constexpr uint32_t kKeyDown = 0x0100;
constexpr uint32_t kKeyUp = 0x0101;
constexpr uint32_t kChar = 0x0102;
constexpr uint32_t kSysCommand = 0x0112;
constexpr uint32_t kMouseMove = 0x0200;
constexpr uint32_t kDeviceChange = 0x0219;
constexpr uint32_t kDropFiles = 0x0233;
}  // namespace msg

// wParam of a system command (the low four bits are the system's own).
namespace syscmd {
constexpr uint64_t kMask = 0xFFF0;
constexpr uint64_t kMinimize = 0xF020;
constexpr uint64_t kMaximize = 0xF030;
constexpr uint64_t kKeyMenu = 0xF100;
}  // namespace syscmd

// wParam of a device change.
namespace devchange {
constexpr uint64_t kNodesChanged = 0x0007;
constexpr uint64_t kArrival = 0x8000;
constexpr uint64_t kRemoveComplete = 0x8004;
}  // namespace devchange

// Window styles.
namespace style {
constexpr uint32_t kPopup = 0x80000000u;
constexpr uint32_t kFixedFrame = 0x00CB0000u;        // caption, system menu, minimise, maximise
constexpr uint32_t kOverlappedWindow = 0x00CF0000u;  // the same with a sizing frame
constexpr uint32_t kExTopmost = 0x00000008u;
constexpr uint32_t kExEdges = 0x00000300u;  // window edge and client edge
}  // namespace style

// Show commands.
namespace show {
constexpr int kHide = 0;
constexpr int kNormal = 1;
constexpr int kMinimize = 6;
}  // namespace show

}  // namespace platform
