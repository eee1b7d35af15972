#pragma once
// Callbacks that fall silent once their owner has gone. A component that hands a callback bound
// to itself to something that may outlive it (a collider, another component's callback list)
// wraps it with its lifetime's token; after the component is destroyed the callback calls
// nothing, and its keeper can see that and drop it.
#include <memory>
#include <utility>
#include <vector>

#include "core/BoundFunction.h"

namespace MFCore {

// Held by the owner; ends with it.
class Lifetime {
public:
    std::weak_ptr<const void> Token() const { return token_; }

private:
    std::shared_ptr<const char> token_ = std::make_shared<const char>('\0');
};

class GuardedFunction : public BoundFunction {
public:
    // Takes ownership of the function.
    GuardedFunction(BoundFunction* function, std::weak_ptr<const void> lifetime)
        : BoundFunction({}, function->GetSignature()), function_(function), lifetime_(std::move(lifetime)) {}

    // Forwards while the owner lives; afterwards calls nothing and leaves an int 0.
    void Invoke(std::vector<Any>& args) override {
        if (Expired()) {
            *GetResult() = Any(0);
            return;
        }
        function_->Invoke(args);
        *GetResult() = *function_->GetResult();
    }
    // The wrapped function's object while the owner lives, null afterwards.
    void* GetObject() const override { return Expired() ? nullptr : function_->GetObject(); }
    bool Expired() const { return lifetime_.expired(); }

private:
    std::unique_ptr<BoundFunction> function_;
    std::weak_ptr<const void> lifetime_;
};

}  // namespace MFCore
