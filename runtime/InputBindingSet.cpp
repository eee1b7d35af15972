#include "runtime/InputBindingSet.h"

#include "runtime/Input.h"

namespace SD {

void InputBindingSet::BindDigital(const std::string& name, uint32_t code) {
    digitalNames_.push_back(name);
    if (Input_* input = Input_::GetInstance()) input->BindDigital(name, code);
}

void InputBindingSet::BindAnalog(const std::string& name, uint32_t negative, uint32_t positive, float scale) {
    analogNames_.push_back(name);
    if (Input_* input = Input_::GetInstance()) input->BindAnalog(name, negative, positive, scale);
}

void InputBindingSet::UnbindAll() {
    Input_* input = Input_::GetInstance();
    if (!input) return;
    for (const std::string& name : analogNames_) input->ClearAnalog(name);
    for (const std::string& name : digitalNames_) input->ClearDigital(name);
}

}  // namespace SD
