#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/Delegate.h"
#include "core/GuardedFunction.h"

namespace {

using MFCore::Any;

struct Counter {
    int calls = 0;
    int Add(int n) {
        calls += n;
        return calls;
    }
};

TEST(GuardedFunctionTest, ForwardsWhileTheOwnerLivesAndCallsNothingAfterwards) {
    Counter counter;
    std::optional<MFCore::Lifetime> lifetime(std::in_place);
    MFCore::GuardedFunction guarded(new MFCore::Delegate_1Parameters<int, Counter, int>(&counter, &Counter::Add),
                                    lifetime->Token());
    EXPECT_EQ(guarded.GetSignature().returnTypeId, MFCore::TypeIdOf<int>());
    std::vector<Any> args{Any(3)};
    guarded.Invoke(args);
    EXPECT_EQ(counter.calls, 3);
    EXPECT_EQ(Any::Extract<int>(*guarded.GetResult()), 3) << "the wrapped function's result";
    EXPECT_EQ(guarded.GetObject(), &counter);
    EXPECT_FALSE(guarded.Expired());

    std::vector<Any> wrong{Any(1.5f)};
    EXPECT_THROW(guarded.Invoke(wrong), std::logic_error) << "the wrapped function's failures pass through";

    lifetime.reset();
    EXPECT_TRUE(guarded.Expired());
    EXPECT_EQ(guarded.GetObject(), nullptr);
    guarded.Invoke(args);
    EXPECT_EQ(counter.calls, 3) << "nothing is called once the owner has gone";
    EXPECT_EQ(Any::Extract<int>(*guarded.GetResult()), 0);
}

}  // namespace
