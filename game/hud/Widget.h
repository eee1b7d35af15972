#pragma once
// The part the menu widgets share: they join the collector of their parent object while
// registered, and call global script functions with their owner and the frame time.
#include <string>

#include "engine/Component.h"

namespace QV {

class HudWidget : public SD::Component {
public:
    void VRegister() override;
    void VUnregister() override;

protected:
    // Calls the global script function `name` with (owner, dt); an empty name calls nothing.
    void CallScript(const std::string& name, float dt) const;
};

}  // namespace QV
