#pragma once
// Where presented frames go beyond the device's own record: a real screen. While one is
// installed, every successful Present hands it the device, its back buffer holding the frame.
namespace platform::gfx {

class Device;

class Presenter {
public:
    virtual ~Presenter() = default;
    virtual void Present(const Device& device) = 0;
};

// The installed screen, or null (the default: frames are only recorded).
void SetPresenter(Presenter* presenter);
Presenter* InstalledPresenter();

}  // namespace platform::gfx
