#pragma once
// A player's script for a whole run of the program: steps run one after the other, each asked
// at the end of a frame whether it is done; a step waiting more frames than the limit leaves the
// script stuck at it.
#include <functional>
#include <string>
#include <vector>

namespace qvtest {

struct StepScript {
    struct Step {
        std::string what;
        std::function<bool()> done;
    };
    std::vector<Step> steps;
    size_t next = 0;
    unsigned long waited = 0;
    unsigned long limit = 4000;
    std::vector<std::string> reached;
    std::string stuck;

    void Advance() {
        if (next >= steps.size() || !stuck.empty()) return;
        if (steps[next].done()) {
            reached.push_back(steps[next].what);
            ++next;
            waited = 0;
        } else if (++waited > limit) {
            stuck = steps[next].what;
        }
    }
    bool Finished() const { return next == steps.size(); }
    // Where the script stopped: the stuck step, or the next one; empty when finished.
    std::string Where() const { return stuck.empty() ? (Finished() ? "" : steps[next].what) : stuck; }
};

}  // namespace qvtest
