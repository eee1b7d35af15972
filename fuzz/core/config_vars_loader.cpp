// Feeds arbitrary bytes to the persisted variable store and checks that the saved store
// reads back to the same variables.
#include <cstdio>
#include <cstdlib>

#include "core/ConfigVars.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* in = size ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : nullptr;
    if (!in) return 0;
    SD::ConfigVars vars;
    vars.Load(in);
    char* saved = nullptr;
    size_t savedSize = 0;
    FILE* out = open_memstream(&saved, &savedSize);
    if (!out) return 0;
    vars.Save(out);
    SD::ConfigVars again;
    if (savedSize) again.Load(fmemopen(saved, savedSize, "rb"));
    std::free(saved);
    if (again.Size() != vars.Size()) __builtin_trap();
    return 0;
}
