#include "core/BoundFunction.h"

#include <stdexcept>

namespace MFCore {

void BoundFunction::FillDefaultArguments(std::vector<Any>& args, size_t needed, const std::vector<Any>& defaults) {
    const size_t have = args.size();
    if (have >= needed) return;
    const size_t missing = needed - have;
    size_t first = have;
    // The defaults belong to the last parameters, unless there are more defaults than
    // parameters: then they are taken from the first missing position on.
    if (defaults.size() <= needed) {
        if (missing > defaults.size()) throw std::logic_error("Too few arguments given.");
        first = defaults.size() - missing;
    }
    args.reserve(needed);
    for (size_t i = 0; i < missing; ++i) args.push_back(defaults[first + i]);
}

}  // namespace MFCore
