#pragma once
// What start-up registers, as the libraries supply it: every component creator with the factory,
// under its name and its number from engine/ComponentID.h, every game state with the
// game-state manager, and every system with its place in the frame. Each library supplies its
// own with their makers; the runtime keeps no list of them.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/ComponentCreator.h"
#include "engine/ComponentID.h"
#include "platform/Seam.h"
#include "runtime/Startup.h"
#include "runtime/SystemOrder.h"

namespace SD {

class Core;
class Factory_;
class GameStateManager_;
class ISystem;
class Level;
class Window_;

struct ComponentRegistration {
    std::string name;  // as supplied; the factory files it under the part after the last ':'
    ComponentID id;
};

// Start-up hands it the game window once every system exists, before the systems are
// configured (the graphics system creates its device on it).
class IWindowReceiver {
public:
    virtual void ReceiveWindow(Window_& window, const WindowSettings& settings) = 0;

protected:
    ~IWindowReceiver() = default;
};

// How many draw calls the last frame recorded, for the run's summary.
class IDrawCallCounter {
public:
    virtual unsigned long LastFrameDrawCalls() const = 0;

protected:
    ~IDrawCallCounter() = default;
};

// The sound system's part of the run's summary.
class ISoundReporter {
public:
    virtual std::string SoundReport() const = 0;

protected:
    ~ISoundReporter() = default;
};

// Start-up asks it for the first state once every state is registered, so that the game, not the
// configured starting state, decides how the program opens.
class IFirstStateChooser {
public:
    virtual void ChooseFirstState(GameStateManager_& states) = 0;

protected:
    ~IFirstStateChooser() = default;
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
    // False, and nothing kept, without a maker or for a number past the table of kinds. The first
    // supplier of a name keeps it, as at every seam: a second supply with another maker is
    // refused (false) and noted for start-up's log; the same maker again changes nothing. A
    // number is one kind's: a second name for it, or a second number for a name, is refused too.
    bool SupplyComponent(const std::string& registeredName, ComponentID id, ComponentCreatorMaker make);
    bool SupplyLevel(const std::string& name, LevelMaker make);
    // `ownedByCore`: the core deletes the system; otherwise it is a singleton that outlives it.
    // `place` names the systems it runs after and before (see SystemOrder.h).
    bool SupplySystem(const std::string& name, SystemMaker make, bool ownedByCore, SystemPlace place);
    // One line per refused supply, in the order they were refused.
    const std::vector<std::string>& RefusedSupplies() const { return refused_; }
    // Logs each refused supply (start-up does so once its logger exists).
    void LogRefusedSupplies() const;
    // Each of the four receivers below is a seam: the first one installed stays and `Set…`
    // returns whether `it` is the one now; null empties it again.
    // The receiver gets the window (none: the window goes to nobody).
    bool SetWindowReceiver(IWindowReceiver* it) { return receivers_->window.Install(it); }
    void HandWindow(Window_& window, const WindowSettings& settings) const {
        if (IWindowReceiver* receiver = receivers_->window.Installed()) receiver->ReceiveWindow(window, settings);
    }
    bool SetDrawCallCounter(IDrawCallCounter* it) { return receivers_->drawCalls.Install(it); }
    // 0 with no counter.
    unsigned long CountDrawCalls() const {
        IDrawCallCounter* counter = receivers_->drawCalls.Installed();
        return counter ? counter->LastFrameDrawCalls() : 0;
    }
    bool SetSoundReporter(ISoundReporter* it) { return receivers_->sound.Install(it); }
    // Empty with no reporter.
    std::string ReportSound() const {
        ISoundReporter* reporter = receivers_->sound.Installed();
        return reporter ? reporter->SoundReport() : std::string();
    }
    // Called by ChooseFirstState (none: the configured starting state stays).
    bool SetFirstStateChooser(IFirstStateChooser* it) { return receivers_->chooser.Install(it); }
    void ChooseFirstState(GameStateManager_& manager) const {
        if (IFirstStateChooser* chooser = receivers_->chooser.Installed()) chooser->ChooseFirstState(manager);
    }

    // The supplied component kinds by number, and the supplied states by name.
    std::vector<ComponentRegistration> SuppliedComponents() const;
    std::vector<std::string> SuppliedLevels() const;
    // Registers every supplied class in the order above; returns their names.
    std::vector<std::string> RegisterComponents(Factory_& factory) const;
    std::vector<std::string> RegisterLevels(GameStateManager_& manager) const;
    // Makes and adds the system supplied under that name, if any; returns it.
    ISystem* AddSuppliedSystem(Core& core, const std::string& name) const;
    // Every supplied system with its place, for start-up to order among its own.
    std::vector<PlacedSystem> SuppliedSystemPlaces() const;

private:
    struct ComponentSupply {
        ComponentID id;
        ComponentCreatorMaker make;
    };
    std::map<std::string, ComponentSupply> components_;
    std::map<std::string, LevelMaker> levels_;
    struct SystemSupply {
        SystemMaker make;
        bool ownedByCore;
        SystemPlace place;
    };
    std::map<std::string, SystemSupply> systems_;
    // Keeps `supply` under `name` unless another maker is kept there already.
    template <class Supply>
    bool KeepFirst(std::map<std::string, Supply>& supplies, const char* kind, const std::string& name,
                   const Supply& supply) {
        auto kept = supplies.emplace(name, supply);
        if (kept.second || MakerOf(kept.first->second) == MakerOf(supply)) return true;
        refused_.push_back(std::string(kind) + " \"" + name + "\" supplied twice: the first supply is kept.");
        return false;
    }
    template <class Maker>
    static Maker MakerOf(Maker make) {
        return make;
    }
    static SystemMaker MakerOf(const SystemSupply& supply) { return supply.make; }
    static ComponentCreatorMaker MakerOf(const ComponentSupply& supply) { return supply.make; }
    // Why `name` cannot have `id` beside the kinds kept so far (another kind holds the number, or
    // the name is kept under another number or filed like another kind's); empty when it can.
    std::string ComponentConflict(const std::string& name, ComponentID id) const;

    std::vector<std::string> refused_;
    struct Receivers {
        platform::Seam<IWindowReceiver> window{"SD::IWindowReceiver"};
        platform::Seam<IDrawCallCounter> drawCalls{"SD::IDrawCallCounter"};
        platform::Seam<ISoundReporter> sound{"SD::ISoundReporter"};
        platform::Seam<IFirstStateChooser> chooser{"SD::IFirstStateChooser"};
    };
    // Held apart, as seams cannot be copied, so that tests can make the registrations afresh and
    // assign them.
    std::unique_ptr<Receivers> receivers_ = std::make_unique<Receivers>();
};

// The engine's own component classes.
void SupplyEngineClasses(Registrations& registrations);

// The registrations start-up uses, with the engine's own classes supplied; the layers above
// the engine add theirs before the program runs.
Registrations& StartupRegistrations();

}  // namespace SD
