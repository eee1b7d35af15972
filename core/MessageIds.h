#pragma once
// The message type ids of the whole system, one per message class.

namespace SD::MessageIds {

constexpr int ResolutionChange = 0;
constexpr int ProfileEvent = 2;
constexpr int WindowsMessage = 3;
constexpr int LogInWindowMessage = 8;
constexpr int QuitRequest = 9;  // a plain IMessage
constexpr int FileDrop = 10;
constexpr int ChangeActiveState = 12;
constexpr int ObjectCreated = 13;
constexpr int Resize = 14;
constexpr int GamePause = 15;
constexpr int DeviceChange = 16;
constexpr int BackgroundColor = 20;
constexpr int FlowerTrigger = 24;
constexpr int FireflyBlinkWave = 25;
constexpr int BlinkEvent = 26;
constexpr int FireflyRecruit = 27;
constexpr int WindMessage = 28;
constexpr int TriggerReset = 30;
constexpr int TweakBarMessage = 31;
constexpr int KinectDeviceChange = 32;

}  // namespace SD::MessageIds
