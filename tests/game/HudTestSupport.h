#pragma once
// A factory with the HUD's widget components, the graphics system's sprites and the sample
// blueprints, a HUD system, input driven by held keys, the widget scripts in a Lua host, and
// the engine's sound system on the game's banks holding what the game posts, for the HUD and
// front-end state tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "HeldSoundSystem.h"
#include "core/Logger.h"
#include "core/MessageSystem.h"
#include "engine/LuaTestSupport.h"
#include "game/hud/Button.h"
#include "game/hud/CheckBox.h"
#include "game/hud/HudCollector.h"
#include "game/hud/HudFade.h"
#include "game/hud/HudSprites.h"
#include "game/hud/HudSystem.h"
#include "game/hud/Slider.h"
#include "game/systems/AudioLogic.h"
#include "graphics/Graphics.h"
#include "graphics/components/Sprite.h"
#include "runtime/Input.h"
#include "runtime/InterpolatorSystem.h"
#include "support/TempTree.h"

namespace hudtest {

inline std::string Bool(bool value) { return value ? "1" : "0"; }

// A blueprint of that name with a transform and the given component XML.
inline std::string Blueprint(const std::string& name, const std::string& components = "") {
    return "<GameObjectBlueprint name=\"" + name + "\"><Components>" + gametest::TransformXml(0, 0, 0) + components +
           "</Components></GameObjectBlueprint>";
}

// A screen sprite showing that texture, centred on its object.
inline std::string SpriteXml(const std::string& texture, float opacity = 1.0f) {
    return "<UISprite version=\"1\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><Boolean name=\"Convert Pixel Position\" "
           "value=\"0\"/><Boolean name=\"Convert Pixel Scale\" value=\"0\"/><String name=\"Texture\">" +
           texture + "</String><Float name=\"Opacity\" value=\"" + std::to_string(opacity) +
           "\"/><Vector2 name=\"Anchor Point\"><Float value=\"0.5\"/><Float value=\"0.5\"/></Vector2></UISprite>";
}

// The texture the object's sprite shows; "(no sprite)" without one.
inline std::string TextureOf(SD::GameObject* object) {
    Aperture::Sprite* sprite = object ? QV::SpriteOf(*object) : nullptr;
    return sprite ? sprite->GetTexture() : "(no sprite)";
}

inline std::string CollectorXml(int start, bool wrap, bool leftRight) {
    return "<HudCollector version=\"1\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><Boolean name=\"Res Collector\" "
           "value=\"0\"/><Integer name=\"Starting index\" value=\"" +
           std::to_string(start) + "\"/><Boolean name=\"Wrapping?\" value=\"" + Bool(wrap) +
           "\"/><Boolean name=\"Animate while paused?\" value=\"0\"/><Boolean name=\"Left/Right Support\" value=\"" +
           Bool(leftRight) + "\"/></HudCollector>";
}

// A button and the sprite it shows its state on.
inline std::string ButtonXml(const std::string& function) {
    return SpriteXml("up") +
           "<Button version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><String name=\"OnTrigger Function\">" +
           function +
           "</String><String name=\"Up Texture\">up</String><String name=\"Over Texture\">over</String><String "
           "name=\"Down Texture\">down</String></Button>";
}

class HudFixture : public gametest::FactoryFixture {
protected:
    HudFixture() {
        namespace fs = std::filesystem;
        const std::string source = qvtest::SourceDir();
        for (const char* folder : {"Assets/Objects", "Assets/HudFiles", "Assets/LuaScripts"})
            fs::copy(source + "/" + folder, tree.Path(folder), fs::copy_options::recursive);
        factory.RegisterComponentCreator("Button", SD::CID_Button, new SD::ComponentCreator<QV::Button>);
        factory.RegisterComponentCreator("HudCollector", SD::CID_HudCollector,
                                         new SD::ComponentCreator<QV::HudCollector>);
        factory.RegisterComponentCreator("HudFade", SD::CID_HudFade, new SD::ComponentCreator<QV::HudFade>);
        factory.RegisterComponentCreator("CheckBox", SD::CID_CheckBox, new SD::ComponentCreator<QV::CheckBox>);
        factory.RegisterComponentCreator("Slider", SD::CID_Slider, new SD::ComponentCreator<QV::Slider>);
        // The menus' pictures (the logo) are sprites of the graphics system.
        factory.RegisterComponentCreator("UISprite", SD::CID_UISprite, new SD::ComponentCreator<Aperture::UISprite>);
        factory.SetObjectInFormat("xml");
        input.Initialize();
        input.AddInjector(std::make_unique<gametest::HeldKeys>(&keys));
        lua.host.SetFolder("../Assets/LuaScripts/");
        sound.Name(
            {"Play_FireflyMainMenu", "Play_Spring_Ambient", "Pause_Master_Audio_Bus", "Resume_Master_Audio_Bus"});
        QV::AudioLogic_::GetInstance().SetGlobalVolume(1.0f);
    }
    ~HudFixture() override {
        hud.Shutdown();
        input.Shutdown();
        factory.DestroyAllGameObjects();
    }

    // Holds the sprites the HUD files make; gone after the objects.
    std::unique_ptr<Aperture::Graphics_> graphics = std::make_unique<Aperture::Graphics_>();
    // Holds the events the HUD and the states post, read back by name.
    gametest::HeldSoundSystem sound;

    // Loads the sample blueprints and any extra blueprint file written under the test's tree,
    // then starts the HUD system (its scripts and bindings).
    void Start(const std::string& extraBlueprints = "") {
        if (!extraBlueprints.empty()) {
            tree.Write("Assets/Objects/Test/Test.xml",
                       "<GameObjectBlueprints>" + extraBlueprints + "</GameObjectBlueprints>");
            tree.Write("Assets/Objects/Objects.man", tree.Read("Assets/Objects/Objects.man") + "\n\"Test/Test.xml\"\n");
        }
        factory.LoadObjectManifest("../Assets/Objects/Objects.man");
        hud.Initialize();
    }

    // One frame in the engine's order for these systems.
    void Frame(float dt = 0.016f) {
        input.Update(dt);
        components.Update(dt);
        hud.Update(dt);
        factory.Update(dt);
    }
    // Holds the keys for one frame, then lets them go for one.
    void Tap(std::initializer_list<uint32_t> codes) {
        for (uint32_t code : codes) keys.insert(code);
        Frame();
        for (uint32_t code : codes) keys.erase(code);
        Frame();
    }
    SD::GameObject* Named(const char* name) { return factory.GetGameObject(std::string(name)); }
    // The tree of a HUD file, initialised; null when it could not be built.
    SD::GameObject* OpenHud(const std::string& name) {
        SD::GameObject* root = hud.CreateHud(name);
        if (root) root->Initialize(false);
        return root;
    }
    static std::vector<SD::GameObject*> Children(SD::GameObject* object) {
        std::vector<SD::GameObject*> children;
        for (SD::GameObject* child : object->GetChildren()) children.push_back(child);
        return children;
    }

    qvtest::TempTree tree;
    luatest::LuaHost lua;
    SD::Input_ input;
    std::set<uint32_t> keys;
    QV::HudSystem hud;
};

}  // namespace hudtest
