#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/Any.h"

namespace {

using MFCore::Any;

template <class T>
uint32_t IdOf(T value) {
    return Any(value).GetTypeId();
}

TEST(Any, BasicTypesCarryTheirFixedIds) {
    const std::pair<uint32_t, uint32_t> cases[] = {
        {IdOf(true), 1u},
        {IdOf(static_cast<signed char>(1)), 6u},
        {IdOf(static_cast<unsigned char>(1)), 7u},
        {IdOf(static_cast<short>(1)), 8u},
        {IdOf(static_cast<unsigned short>(1)), 9u},
        {IdOf(1), 10u},
        {IdOf(1u), 11u},
        {IdOf(1.0f), 12u},
        {IdOf(1.0), 13u},
        {Any("text").GetTypeId(), 17u},
        {IdOf(std::string("x")), 0x2FFF001Cu},
    };
    for (const auto& [got, want] : cases) EXPECT_EQ(got, want);
}

TEST(Any, ExtractionChecksTheExactType) {
    struct Base {
        virtual ~Base() = default;
    };
    struct Derived : Base {};
    Derived derived;
    const struct {
        Any any;
        std::string error;
    } cases[] = {
        {Any(), "Attempt to extract from an empty Any!"},
        {Any(5u), "Bad attempt to extract data from an Any.  Wrong data type!"},
        {Any(5.0f), "Bad attempt to extract data from an Any.  Wrong data type!"},
    };
    for (const auto& c : cases) {
        try {
            Any::Extract<int>(c.any);
            ADD_FAILURE() << "no exception for " << c.error;
        } catch (const std::logic_error& e) {
            EXPECT_EQ(e.what(), c.error);
        }
    }
    EXPECT_THROW(Any::Extract<Base*>(Any(&derived)), std::logic_error);
    EXPECT_EQ(Any::Extract<Derived*>(Any(&derived)), &derived);
    EXPECT_EQ(Any::Extract<int>(Any(-7)), -7);
}

TEST(Any, CopiesAreIndependent) {
    Any original(std::string("a long enough string to live on the heap"));
    {
        Any copy = original;
        Any assigned;
        assigned = copy;
        EXPECT_EQ(Any::Extract<std::string>(assigned), "a long enough string to live on the heap");
    }
    EXPECT_EQ(Any::Extract<std::string>(original), "a long enough string to live on the heap");

    Any number(2.5);
    Any clone = number;
    EXPECT_EQ(clone.GetTypeId(), 13u);
    EXPECT_EQ(Any::Extract<double>(clone), 2.5);
    EXPECT_NE(clone.GetHolder(), number.GetHolder());
}

struct CounterA {};
struct CounterB {};
struct CounterC {};
struct Registered {};

TEST(Any, CounterIdsNeverEqualAFixedId) {
    const uint32_t ids[] = {IdOf(CounterA{}), IdOf(CounterB{}), IdOf(CounterC{}), IdOf(static_cast<CounterA*>(nullptr)),
                            IdOf(static_cast<CounterB*>(nullptr))};
    std::set<uint32_t> distinct;
    for (uint32_t id : ids) {
        EXPECT_GE(id, 18u);
        EXPECT_FALSE(MFCore::IsFixedTypeId(id)) << id;
        distinct.insert(id);
    }
    EXPECT_EQ(distinct.size(), std::size(ids));
    EXPECT_EQ(IdOf(CounterA{}), ids[0]) << "a type keeps its id";
}

uint32_t g_registeredId = 0;
uint32_t RegisteredId() { return g_registeredId; }

TEST(Any, ARegisteredIdWinsAndItsAbsenceFallsBackToTheCounter) {
    const uint32_t counterId = IdOf(Registered{});
    EXPECT_FALSE(MFCore::IsFixedTypeId(counterId));

    MFCore::TypeIdProvider<Registered>::provider = &RegisteredId;
    g_registeredId = 0;  // the registering system has not registered yet
    EXPECT_EQ(IdOf(Registered{}), counterId);
    g_registeredId = 0x1234;
    EXPECT_EQ(IdOf(Registered{}), 0x1234u);
    MFCore::TypeIdProvider<Registered>::provider = nullptr;
    EXPECT_EQ(IdOf(Registered{}), counterId);
}

TEST(Any, MakeArgumentsHoldsOneCopy) {
    auto args = MFCore::MakeArguments(3.5f);
    ASSERT_EQ(args.size(), 1u);
    EXPECT_EQ(Any::Extract<float>(args[0]), 3.5f);

    Any source(std::string("kept"));
    auto cloned = MFCore::MakeArguments(source);
    ASSERT_EQ(cloned.size(), 1u);
    EXPECT_NE(cloned[0].GetHolder(), source.GetHolder());
    EXPECT_EQ(Any::Extract<std::string>(cloned[0]), "kept");
}

}  // namespace
