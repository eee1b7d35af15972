// Feeds arbitrary bytes to the configuration reader as config.ini: every kind of read of a few
// sections and keys, then the check of the whole file that start-up makes once the reads are done.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/ConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        char pattern[] = "/tmp/qv_fuzz_config_XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd >= 0) close(fd);
        return std::string(pattern);
    }();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    SD::ConfigFile config(path);
    for (const char* section : {"Window", "Graphics", "", "]"}) {
        config.SetSection(section);
        for (const char* key : {"Width", "fps", "Fullscreen", "", "="}) {
            config.GetString(key, "default");
            config.GetInt(key, 7);
            config.GetFloat(key, 2.5f);
            config.GetBool(key, true);
        }
    }
    config.ReportDamage();
    return 0;
}
