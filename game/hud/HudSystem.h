#pragma once
// Builds HUD screens (menus, pause screens, prompts) from HUD files, hands the menu actions to
// the most recently registered collector, switches the display resolution for the menu's
// resolution entries, and reloads every open HUD on the developer key F3.
//
// A HUD file is a sequence of blank-separated tokens: the root's blueprint name, then entries
// "<blueprint> x y z" (a child of the current layer object at that local position) or
// "[NextLayer] <blueprint>" (a child of the current layer object that becomes the new one).
#include <cstdint>
#include <string>
#include <vector>

#include "core/System.h"
#include "engine/GameObjectHandle.h"
#include "runtime/InputBindingSet.h"

namespace SD {
class GameObject;
}

namespace QV {

class Collider2D;

class HudCollector;

class HudSystem : public SD::ISystem {
public:
    HudSystem();
    ~HudSystem() override;
    HudSystem(const HudSystem&) = delete;
    HudSystem& operator=(const HudSystem&) = delete;
    static HudSystem* GetInstance();

    const char* GetName() const override { return "HudSystem"; }
    // Runs the widget scripts and binds the menu actions.
    void Initialize() override;
    void Shutdown() override;
    void Update(float dt) override;

    // Reads "../Assets/HudFiles/<name>.hud" and records the tree for reloading; null (logged)
    // when it cannot be built. The tree is returned uninitialised.
    SD::GameObject* CreateHud(const std::string& name);
    SD::GameObject* ReadHudFile(const std::string& path);
    // Sends a resolution change for an object of a "Hud/Res_<w>x<h>" blueprint; else nothing.
    void ChangeRes(SD::GameObject* object);
    void ReloadAll();

    void RegisterCollector(HudCollector* collector);
    void UnregisterCollector(HudCollector* collector);
    // The collector that receives input (the latest registered), or null.
    HudCollector* FrontCollector() const { return collectors_.empty() ? nullptr : collectors_.front(); }
    bool CollectorAdded() const { return collectorAdded_; }
    // The buttons' shared select cool-down, held by the run's HUD so that every run starts
    // without one: counts `dt` off it and says whether a select may act now.
    bool CoolSelect(float dt) {
        selectCoolDown_ -= dt;
        return selectCoolDown_ <= 0.0f;
    }
    // A select acted: the next waits the full cool-down.
    void RestartSelectCoolDown() { selectCoolDown_ = kSelectCoolDown; }
    // The 2D colliders of the HUD's objects, the latest registered first.
    void RegisterCollider2D(Collider2D* collider);
    void UnregisterCollider2D(Collider2D* collider);
    const std::vector<Collider2D*>& Colliders2D() const { return colliders2D_; }
    // True while the front collector has a focused widget: the menu keys are its to act on. The
    // level editor, while on, has the keys instead, and no collector is updated.
    bool HasFocusedWidget() const;

    // Width and height of a "Hud/Res_<w>x<h>" blueprint name; false for any other name.
    static bool ParseResolution(const std::string& blueprintName, uint32_t* width, uint32_t* height);

private:
    struct LoadedHud {
        SD::GameObjectHandle root;
        std::string path;
    };
    void RunWidgetScripts();

    std::vector<HudCollector*> collectors_;  // the front one is the latest registered
    std::vector<Collider2D*> colliders2D_;
    bool collectorAdded_ = false;
    static constexpr float kSelectCoolDown = 0.3f;
    float selectCoolDown_ = 0.0f;
    std::vector<LoadedHud> loaded_;
    SD::InputBindingSet bindings_;
};

}  // namespace QV
