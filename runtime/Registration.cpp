#include "runtime/Registration.h"

#include <algorithm>
#include <utility>

#include "core/EngineCore.h"
#include "core/Logger.h"
#include "engine/Factory.h"
#include "engine/Group.h"
#include "engine/Level.h"
#include "engine/LuaComponent.h"
#include "engine/LuaLogic.h"
#include "engine/Name.h"
#include "engine/Transform.h"
#include "runtime/GameStateManager.h"
#include "runtime/SystemOrder.h"

namespace SD {
namespace {}  // namespace

bool Registrations::SupplySystem(const std::string& name, SystemMaker make, bool ownedByCore, SystemPlace place) {
    return make && KeepFirst(systems_, "System", name, SystemSupply{make, ownedByCore, std::move(place)});
}

std::vector<PlacedSystem> Registrations::SuppliedSystemPlaces() const {
    std::vector<PlacedSystem> places;
    for (const auto& [name, supply] : systems_) places.push_back(PlacedSystem{name, supply.place});
    return places;
}

void Registrations::LogRefusedSupplies() const {
    for (const std::string& line : refused_) SD_WARNING(Debug::kLogError, "%s", line.c_str());
}

ISystem* Registrations::AddSuppliedSystem(Core& core, const std::string& name) const {
    auto found = systems_.find(name);
    if (found == systems_.end()) return nullptr;
    ISystem* system = found->second.make();
    if (system) core.AddSystem(system, found->second.ownedByCore);
    return system;
}

bool Registrations::SupplyComponent(const std::string& registeredName, ComponentID id, ComponentCreatorMaker make) {
    if (!make || id >= CID_Total) return false;
    const std::string conflict = ComponentConflict(registeredName, id);
    if (conflict.empty()) return KeepFirst(components_, "Component", registeredName, ComponentSupply{id, make});
    refused_.push_back("Component " + Quoted(registeredName) + " refused: " + conflict + ".");
    return false;
}

std::string Registrations::ComponentConflict(const std::string& name, ComponentID id) const {
    for (const auto& [keptName, kept] : components_) {
        if (keptName == name && kept.id != id) return "it is kept under number " + std::to_string(kept.id);
        if (keptName != name && kept.id == id) return "number " + std::to_string(id) + " is " + Quoted(keptName) + "'s";
        if (keptName != name && FiledName(keptName) == FiledName(name)) return "it is filed like " + Quoted(keptName);
    }
    return std::string();
}

bool Registrations::SupplyLevel(const std::string& name, LevelMaker make) {
    return make && KeepFirst(levels_, "Level", name, make);
}

std::vector<ComponentRegistration> Registrations::SuppliedComponents() const {
    std::vector<ComponentRegistration> supplied;
    for (const auto& [name, supply] : components_) supplied.push_back(ComponentRegistration{name, supply.id});
    std::sort(supplied.begin(), supplied.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    return supplied;
}

std::vector<std::string> Registrations::SuppliedLevels() const {
    std::vector<std::string> names;
    for (const auto& level : levels_) names.push_back(level.first);
    return names;
}

std::vector<std::string> Registrations::RegisterComponents(Factory_& factory) const {
    std::vector<std::string> registered;
    for (const ComponentRegistration& entry : SuppliedComponents()) {
        factory.RegisterComponentCreator(entry.name, entry.id, components_.at(entry.name).make());
        registered.push_back(entry.name);
    }
    return registered;
}

std::vector<std::string> Registrations::RegisterLevels(GameStateManager_& manager) const {
    for (const auto& [name, make] : levels_) manager.RegisterLevel(make(), name);
    return SuppliedLevels();
}

void SupplyEngineClasses(Registrations& registrations) {
    registrations.SupplyComponent("Transform", CID_Transform, &MakeComponentCreator<Transform>);
    registrations.SupplyComponent("LuaLogic", CID_LuaLogic, &MakeComponentCreator<LuaLogic>);
    registrations.SupplyComponent("LuaComponent", kLuaComponentID, &MakeComponentCreator<LuaComponent>);
    registrations.SupplyComponent("Group", CID_Group, &MakeComponentCreator<Group>);
    registrations.SupplyComponent("Name", kNameID, &MakeComponentCreator<::Name>);
}

Registrations& StartupRegistrations() {
    static Registrations registrations = [] {
        Registrations r;
        SupplyEngineClasses(r);
        return r;
    }();
    return registrations;
}

}  // namespace SD
