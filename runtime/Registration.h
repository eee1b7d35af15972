#pragma once
// The classes start-up registers: every component creator with the factory and every game
// state with the game-state manager, under fixed names and in a fixed order. A class joins
// when the layer that builds it supplies a maker under its registered name; names still
// without a maker are skipped and reported as still to come.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/ComponentCreator.h"
#include "engine/ComponentID.h"
#include "runtime/Startup.h"

namespace SD {

class Core;
class Factory_;
class GameStateManager_;
class ISystem;
class Level;
class Window_;

struct ComponentRegistration {
    const char* name;  // as registered; the factory files it under the part after the last ':'
    ComponentID id;
};

// The component creators in registration order.
const std::vector<ComponentRegistration>& ComponentRegistrationOrder();
// The game states in registration order.
const std::vector<std::string>& LevelRegistrationOrder();
// The systems of the layers above the runtime, in update order; start-up adds each supplied
// one at its place among its own systems.
const std::vector<std::string>& SuppliedSystemOrder();

// Start-up hands it the game window once every system exists, before the systems are
// configured (the graphics system creates its device on it).
class IWindowReceiver {
public:
    virtual void ReceiveWindow(Window_& window, const WindowSettings& settings) = 0;

protected:
    ~IWindowReceiver() = default;
};

using ComponentCreatorMaker = IComponentCreator* (*)();
using LevelMaker = Level* (*)();
using SystemMaker = ISystem* (*)();

template <class T>
IComponentCreator* MakeComponentCreator() {
    return new ComponentCreator<T>;
}
template <class T>
Level* MakeLevel() {
    return new T();
}

class Registrations {
public:
    // False, and nothing kept, for a name that is not in the registration order.
    bool SupplyComponent(const std::string& registeredName, ComponentCreatorMaker make);
    bool SupplyLevel(const std::string& name, LevelMaker make);
    // `ownedByCore`: the core deletes the system; otherwise it is a singleton that outlives it.
    // The first supplier of a name keeps it: a second supply with another maker is refused
    // (false) and noted for start-up's log; the same maker again changes nothing.
    bool SupplySystem(const std::string& name, SystemMaker make, bool ownedByCore);
    // One line per refused supply, in the order they were refused.
    const std::vector<std::string>& RefusedSupplies() const { return refused_; }
    // Logs each refused supply (start-up does so once its logger exists).
    void LogRefusedSupplies() const;
    // The first receiver supplied gets the window; returns whether `receiver` is the one. Null
    // leaves the window to nobody.
    bool SetWindowReceiver(IWindowReceiver* receiver);
    void HandWindow(Window_& window, const WindowSettings& settings) const {
        if (windowReceiver_) windowReceiver_->ReceiveWindow(window, settings);
    }
    // How many draw calls the last frame recorded, for the run's summary (0 with no counter).
    void SetDrawCallCounter(std::function<unsigned long()> count) { drawCalls_ = std::move(count); }
    unsigned long CountDrawCalls() const { return drawCalls_ ? drawCalls_() : 0; }
    // The sound system's part of the run's summary (empty with no reporter).
    void SetSoundReporter(std::function<std::string()> report) { sound_ = std::move(report); }
    std::string ReportSound() const { return sound_ ? sound_() : std::string(); }
    // Called by ChooseFirstState with the "LoadLevel" state once "SplashLevel" is pending, so
    // the game can name the state to load next and switch the sky drawing off.
    void SetLoadLevelPreparer(std::function<void(Level& loadLevel)> prepare) { prepare_ = std::move(prepare); }

    // Registers every supplied class in the registration order; returns their names.
    std::vector<std::string> RegisterComponents(Factory_& factory) const;
    std::vector<std::string> RegisterLevels(GameStateManager_& manager) const;
    // Makes and adds the system supplied under that name, if any; returns it.
    ISystem* AddSuppliedSystem(Core& core, const std::string& name) const;
    // The names of the order that have no maker yet, in order.
    std::vector<std::string> ComponentsToCome() const;
    std::vector<std::string> LevelsToCome() const;

    // With a "LoadLevel" state registered, "SplashLevel" becomes the pending state (replacing
    // any configured starting state) and the preparer gets the loading state, which is
    // returned; otherwise nothing changes and the result is null.
    Level* ChooseFirstState(GameStateManager_& manager) const;

private:
    std::map<std::string, ComponentCreatorMaker> components_;
    std::map<std::string, LevelMaker> levels_;
    struct SystemSupply {
        SystemMaker make;
        bool ownedByCore;
    };
    std::map<std::string, SystemSupply> systems_;
    std::vector<std::string> refused_;
    std::function<void(Level&)> prepare_;
    IWindowReceiver* windowReceiver_ = nullptr;
    std::function<unsigned long()> drawCalls_;
    std::function<std::string()> sound_;
};

// The engine's own component classes.
void SupplyEngineClasses(Registrations& registrations);

// The registrations start-up uses, with the engine's own classes supplied; the layers above
// the engine add theirs before the program runs.
Registrations& StartupRegistrations();

}  // namespace SD
