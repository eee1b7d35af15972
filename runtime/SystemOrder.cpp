#include "runtime/SystemOrder.h"

#include <map>
#include <set>

namespace SD {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

namespace {

// Each system's count of systems still to run before it, and the systems that wait on it.
struct Graph {
    std::map<std::string, int> waitingOn;
    std::map<std::string, std::vector<std::string>> followers;
};

// Notes that `first` runs before `second`; false when either is not among the systems.
bool AddRelation(Graph& graph, const std::string& first, const std::string& second) {
    if (!graph.waitingOn.count(first) || !graph.waitingOn.count(second)) return false;
    graph.followers[first].push_back(second);
    ++graph.waitingOn[second];
    return true;
}

std::string MissingRelation(const std::string& system, const char* relation, const std::string& other) {
    return "System " + Quoted(system) + " runs " + relation + " " + Quoted(other) + ", which no one supplied";
}

// Builds the graph; empty when every relation holds between two systems, else the first fault.
std::string BuildGraph(const std::vector<PlacedSystem>& systems, Graph& graph) {
    for (const PlacedSystem& system : systems)
        if (!graph.waitingOn.emplace(system.name, 0).second) return "System " + Quoted(system.name) + " is given twice";
    for (const PlacedSystem& system : systems) {
        for (const std::string& earlier : system.place.after)
            if (!AddRelation(graph, earlier, system.name)) return MissingRelation(system.name, "after", earlier);
        for (const std::string& later : system.place.before)
            if (!AddRelation(graph, system.name, later)) return MissingRelation(system.name, "before", later);
    }
    return std::string();
}

std::string CycleError(const Graph& graph) {
    std::string error = "The systems' places form a cycle; these wait on it or on each other:";
    for (const auto& [name, waiting] : graph.waitingOn)
        if (waiting > 0) error += " " + Quoted(name);
    return error;
}

}  // namespace

std::vector<std::string> OrderSystems(const std::vector<PlacedSystem>& systems, std::string& error) {
    Graph graph;
    error = BuildGraph(systems, graph);
    if (!error.empty()) return {};
    std::set<std::string> ready;
    for (const auto& [name, waiting] : graph.waitingOn)
        if (waiting == 0) ready.insert(name);
    std::vector<std::string> order;
    while (!ready.empty()) {
        const std::string next = *ready.begin();
        ready.erase(ready.begin());
        order.push_back(next);
        for (const std::string& follower : graph.followers[next])
            if (--graph.waitingOn[follower] == 0) ready.insert(follower);
    }
    if (order.size() == systems.size()) return order;
    error = CycleError(graph);
    return {};
}

}  // namespace SD
