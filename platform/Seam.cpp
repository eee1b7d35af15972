#include "platform/Seam.h"

#include <cstdio>

namespace platform {

void ReportRefusedInstall(const char* seam) {
    std::fprintf(stderr, "seam \"%s\": a second implementation refused; the first installed stays\n", seam);
}

}  // namespace platform
