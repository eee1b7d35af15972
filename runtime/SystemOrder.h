#pragma once
// The order the systems run in each frame, worked out from where each one says it belongs:
// every library names the systems its own must run after and before, and start-up sorts the
// runtime's systems and all supplied ones together. No list of every system exists anywhere.
#include <string>
#include <vector>

namespace SD {

// The systems a system runs after and before, by the names they are supplied under.
struct SystemPlace {
    std::vector<std::string> after;
    std::vector<std::string> before;
};

struct PlacedSystem {
    std::string name;
    SystemPlace place;
};

// The name in double quotes, as the start-up's messages name systems and kinds.
std::string Quoted(const std::string& name);

// The update order: every system after those it names in `after` and before those in `before`;
// systems with no relation between them in the order of their names, so that the order does not
// depend on the order of supply. On a name given twice, a relation to a system not in `systems`
// or a cycle, the result is empty and `error` says which systems are at fault.
std::vector<std::string> OrderSystems(const std::vector<PlacedSystem>& systems, std::string& error);

}  // namespace SD
