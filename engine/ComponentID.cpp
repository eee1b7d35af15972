#include "engine/ComponentID.h"

namespace SD {

namespace {

#define SD_SCRIPT_CONSTANT(name, number) {"CID_" #name, CID_##name},
#define SD_NO_CONSTANT(name, number)
const ComponentIDConstant kConstants[] = {
    SD_COMPONENT_KINDS(SD_SCRIPT_CONSTANT, SD_NO_CONSTANT)
    // The table size, which scripts see too.
    {"CID_Total", CID_Total},
};
#undef SD_SCRIPT_CONSTANT
#undef SD_NO_CONSTANT

// Every number of the table, for the checks below.
#define SD_NUMBER(name, number) number,
constexpr unsigned kNumbers[] = {SD_COMPONENT_KINDS(SD_NUMBER, SD_NUMBER)};
#undef SD_NUMBER

constexpr bool EachNumberOnceBelowTotal() {
    constexpr size_t count = sizeof(kNumbers) / sizeof(kNumbers[0]);
    for (size_t i = 0; i < count; ++i) {
        if (kNumbers[i] >= CID_Total) return false;
        for (size_t j = i + 1; j < count; ++j)
            if (kNumbers[i] == kNumbers[j]) return false;
    }
    return true;
}
// Two classes under one number would share one creator slot; a number at or past CID_Total
// would fall outside every table indexed by it.
static_assert(EachNumberOnceBelowTotal(), "a component number is used twice or is not below CID_Total");

}  // namespace

const ComponentIDConstant* ComponentIDConstants() { return kConstants; }

size_t ComponentIDConstantCount() { return sizeof(kConstants) / sizeof(kConstants[0]); }

}  // namespace SD
