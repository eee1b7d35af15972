#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/BoundFunction.h"

namespace {

using MFCore::Any;
using MFCore::BoundFunction;

std::vector<int> Ints(const std::vector<Any>& args) {
    std::vector<int> out;
    for (const Any& a : args) out.push_back(Any::Extract<int>(a));
    return out;
}

std::vector<Any> AnyInts(const std::vector<int>& values) {
    std::vector<Any> out;
    for (int v : values) out.emplace_back(v);
    return out;
}

TEST(BoundFunction, FillDefaultArgumentsCompletesFromTheRightDefaults) {
    const struct {
        std::vector<int> given;
        size_t needed;
        std::vector<int> defaults;
        std::vector<int> expected;  // empty with `throws`
        bool throws;
    } cases[] = {
        {{1, 2}, 2, {}, {1, 2}, false},
        {{}, 1, {9}, {9}, false},
        {{}, 1, {}, {}, true},
        {{1}, 3, {8, 9}, {1, 8, 9}, false},
        {{1}, 3, {9}, {}, true},
        {{}, 3, {7, 8}, {}, true},
        {{1}, 2, {5, 6, 7}, {1, 6}, false},  // more defaults than parameters: from `have` on
        {{1, 2}, 3, {5, 6, 7, 8}, {1, 2, 7}, false},
    };
    for (const auto& c : cases) {
        std::vector<Any> args = AnyInts(c.given);
        const std::vector<Any> defaults = AnyInts(c.defaults);
        if (c.throws) {
            try {
                BoundFunction::FillDefaultArguments(args, c.needed, defaults);
                ADD_FAILURE() << "no exception, needed " << c.needed;
            } catch (const std::logic_error& e) {
                EXPECT_STREQ(e.what(), "Too few arguments given.");
            }
            EXPECT_EQ(Ints(args), c.given) << "a failed fill appends nothing";
        } else {
            BoundFunction::FillDefaultArguments(args, c.needed, defaults);
            EXPECT_EQ(Ints(args), c.expected) << "needed " << c.needed;
        }
    }
}

struct Counter {
    int total = 0;
    std::string label;
    void Add(int n) { total += n; }
    int Get() { return total; }
    int Peek() const { return total; }
    void SetLabel(std::string s) { label = std::move(s); }
};

int g_sum = 0;
void Accumulate(int a, float b, int c) { g_sum = a * 100 + static_cast<int>(b) * 10 + c; }
int Seven() { return 7; }
void Nothing() {}

TEST(BoundFunction, DefaultsCompleteACallAndShortCallsThrowBeforeCalling) {
    Counter counter;
    MFCore::Delegate_1Parameters<void, Counter, int> withDefault(&counter, &Counter::Add, AnyInts({4}));
    std::vector<Any> none;
    withDefault.Invoke(none);
    EXPECT_EQ(counter.total, 4);

    MFCore::Delegate_1Parameters<void, Counter, int> withoutDefault(&counter, &Counter::Add);
    std::vector<Any> empty;
    try {
        withoutDefault.Invoke(empty);
        ADD_FAILURE() << "no exception";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Too few arguments given.");
    }
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(counter.total, 4);

    MFCore::StaticFunction_3Parameters<void, int, float, int> three(&Accumulate, {Any(2.0f), Any(3)});
    std::vector<Any> one = AnyInts({1});
    three.Invoke(one);
    EXPECT_EQ(g_sum, 123);
}

TEST(BoundFunction, AWrongArgumentThrowsAndLeavesArgumentsAndResult) {
    MFCore::StaticFunction_3Parameters<void, int, float, int> three(&Accumulate, {Any(2.0f), Any(3)});
    std::vector<Any> good = AnyInts({1});
    three.Invoke(good);
    g_sum = 0;

    std::vector<Any> args;
    args.emplace_back(1.0);  // a double where an int is expected; the defaults would fill the rest
    try {
        three.Invoke(args);
        ADD_FAILURE() << "no exception";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Bad attempt to extract data from an Any.  Wrong data type!");
    }
    ASSERT_EQ(args.size(), 1u);
    EXPECT_EQ(Any::Extract<double>(args[0]), 1.0);
    EXPECT_EQ(g_sum, 0);
    EXPECT_EQ(three.GetResult()->GetTypeId(), 10u) << "the previous result stays";

    Counter counter;
    MFCore::MemberFunction_0Parameters<int, Counter> getter(&Counter::Get);
    std::vector<Any> noObject;
    try {
        getter.Invoke(noObject);
        ADD_FAILURE() << "no exception";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Attempt to extract from an empty Any!");
    }
    EXPECT_TRUE(getter.GetResult()->IsEmpty());
}

TEST(BoundFunction, ResultsAndSignatures) {
    MFCore::StaticFunction_0Parameters<void> nothing(&Nothing);
    std::vector<Any> args;
    nothing.Invoke(args);
    EXPECT_EQ(nothing.GetResult()->GetTypeId(), 10u);
    EXPECT_EQ(Any::Extract<int>(*nothing.GetResult()), 0);
    EXPECT_EQ(nothing.GetSignature().returnTypeId, 0u);

    MFCore::StaticFunction_0Parameters<int> seven(&Seven);
    seven.Invoke(args);
    EXPECT_EQ(Any::Extract<int>(*seven.GetResult()), 7);

    Counter counter{5, ""};
    MFCore::ConstMemberFunction_0Parameters<int, Counter> peek(&Counter::Peek);
    std::vector<Any> withObject;
    withObject.emplace_back(&counter);
    peek.Invoke(withObject);
    EXPECT_EQ(Any::Extract<int>(*peek.GetResult()), 5);

    MFCore::MemberFunction_1Parameters<void, Counter, std::string> setLabel(&Counter::SetLabel);
    const MFCore::FunctionSignature& sig = setLabel.GetSignature();
    EXPECT_EQ(sig.returnTypeId, 0u);
    EXPECT_EQ(sig.classTypeId, MFCore::TypeIdOf<Counter>());
    EXPECT_FALSE(MFCore::IsFixedTypeId(sig.classTypeId));
    EXPECT_EQ(sig.parameterTypeIds, std::vector<int>{0x2FFF001C});
    MFCore::StaticFunction_3Parameters<void, int, float, int> three(&Accumulate);
    EXPECT_EQ(three.GetSignature().parameterTypeIds, (std::vector<int>{10, 12, 10}));
    EXPECT_EQ(nothing.GetSignature().classTypeId, 0u);
}

TEST(BoundFunction, BindToTiesAMemberFormToOneObject) {
    Counter counter;
    MFCore::MemberFunction_1Parameters<void, Counter, int> add(&Counter::Add, AnyInts({1}));
    std::unique_ptr<BoundFunction> bound(add.BindTo(Any(&counter)));
    ASSERT_NE(bound, nullptr);
    EXPECT_EQ(bound->GetObject(), &counter);
    EXPECT_TRUE(bound->GetDefaults().empty());
    std::vector<Any> args = AnyInts({6});
    bound->Invoke(args);
    EXPECT_EQ(counter.total, 6);

    Counter other;
    std::unique_ptr<BoundFunction> rebound(bound->BindTo(Any(&other)));
    rebound->Invoke(args);
    EXPECT_EQ(other.total, 6);
    EXPECT_EQ(counter.total, 6);

    MFCore::ConstMemberFunction_0Parameters<int, Counter> peek(&Counter::Peek);
    std::unique_ptr<BoundFunction> boundPeek(peek.BindTo(Any(&other)));
    std::vector<Any> none;
    boundPeek->Invoke(none);
    EXPECT_EQ(Any::Extract<int>(*boundPeek->GetResult()), 6);

    EXPECT_THROW(add.BindTo(Any(5)), std::logic_error);
    EXPECT_THROW(add.BindTo(Any()), std::logic_error);
    MFCore::StaticFunction_0Parameters<int> seven(&Seven);
    EXPECT_EQ(seven.BindTo(Any(std::string("destroyed with the call"))), nullptr);
    EXPECT_EQ(seven.GetObject(), nullptr);
    EXPECT_EQ(add.GetObject(), nullptr);
}

}  // namespace
