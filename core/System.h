#pragma once
// The base of every engine system: configured once, initialised in order, updated each
// frame with the frame time and shut down in reverse order by the engine core.

namespace SD {

class ConfigFile;

class ISystem {
public:
    virtual ~ISystem() = default;
    // The system's name, which is also its section in the configuration file.
    virtual const char* GetName() const = 0;
    // The configuration file's current section is already the system's name.
    virtual void ReadConfig(ConfigFile& config) { (void)config; }
    virtual void Initialize() {}
    virtual void Shutdown() {}
    virtual void Update(float dt) = 0;
};

}  // namespace SD
