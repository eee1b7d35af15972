#include <gtest/gtest.h>

#include <string>

#include "core/RTTI.h"

namespace rttitest {

using MFCore::Any;

class Sample : public RTTIUser<Sample> {
public:
    static inline int registrations = 0;

    void RegisterFunctions() override {
        ++registrations;
        RTTI_GETTER(&Sample::GetValue);
        RTTI_SETTER(&Sample::SetValue);
        RTTI_GETTER(&Sample::GetLabel);
        RTTI_SETTER(&rttitest::Sample::SetLabel);
    }

    float GetValue() { return value_; }
    void SetValue(float v) { value_ = v; }
    const char* GetLabel() const { return label_; }
    void SetLabel(const char* label) { label_ = label; }

private:
    float value_ = 1.5f;
    const char* label_ = "none";
};

class Silent : public IRTTIUser {};

// A reflected class with its own bound description, as every game component has.
class Bound : public RTTIUser<Bound> {
public:
    void RegisterFunctions() override {
        RTTI_GETTER(&Bound::GetValue);
        RTTI_SETTER(&Bound::SetValue);
        RTTI_GETTER(&Bound::GetLabel);
        RTTI_SETTER(&Bound::SetLabel);
    }
    ClassInfo GetBoundClassInfo() override { return BindClassInfo(this); }

    float GetValue() { return value_; }
    void SetValue(float v) { value_ = v; }
    const char* GetLabel() const { return "bound"; }
    void SetLabel(const char*) {}

private:
    float value_ = 1.5f;
};

const IRTTIUser::FunctionEntry* Find(const IRTTIUser::ClassInfo& info, const std::string& name) {
    for (const auto& entry : info.functions)
        if (entry.name == name) return &entry;
    return nullptr;
}

class RTTITest : public ::testing::Test {
protected:
    void SetUp() override { RTTIClassRegistry::Create(); }
    void TearDown() override { RTTIClassRegistry::Destroy(); }
};

TEST(RTTINames, ClassAndAccessorNamesFromTheirTexts) {
    const std::pair<const char*, const char*> classNames[] = {
        {"class Name", "Name"},          {"class SD::Transform", "SD::Transform"},
        {"struct SD::Vec3", "SD::Vec3"}, {"void", "void"},
        {"undefined", "undefined"},      {"int", "int"},
    };
    for (const auto& [typeName, want] : classNames) EXPECT_EQ(IRTTIUser::ClassNameFromTypeName(typeName), want);

    const std::pair<const char*, const char*> accessors[] = {
        {"&Transform::GetPosX", "GetPosX"},
        {"&Collider::GetRadius", "GetRadius"},
        {"&SD::Group::SetName )", "SetName"},
        {"&Phantom::Play)", "Play"},
        {"GetAlone", "GetAlone"},
        {"&Empty::", ""},
    };
    for (const auto& [text, want] : accessors) EXPECT_EQ(IRTTIUser::AccessorNameFromText(text), want);

    EXPECT_EQ(MFCore::ClassTypeName(typeid(Sample)), "class rttitest::Sample");
}

TEST_F(RTTITest, AccessorsAreCalledByName) {
    Sample sample;
    const IRTTIUser::ClassInfo info = sample.GetClassInfo();
    EXPECT_EQ(info.name, "rttitest::Sample");
    ASSERT_EQ(info.functions.size(), 4u);
    EXPECT_EQ(info.functions[0].name, "GetValue");
    EXPECT_EQ(info.functions[3].name, "SetLabel");

    std::vector<Any> set;
    set.emplace_back(&sample);
    set.emplace_back(4.25f);
    Find(info, "SetValue")->function->Invoke(set);
    std::vector<Any> get;
    get.emplace_back(&sample);
    MFCore::BoundFunction* getter = Find(info, "GetValue")->function.get();
    getter->Invoke(get);
    EXPECT_EQ(Any::Extract<float>(*getter->GetResult()), 4.25f);

    std::unique_ptr<MFCore::BoundFunction> bound(Find(info, "GetLabel")->function->BindTo(Any(&sample)));
    std::vector<Any> none;
    bound->Invoke(none);
    EXPECT_STREQ(Any::Extract<const char*>(*bound->GetResult()), "none");
    EXPECT_EQ(bound->GetSignature().returnTypeId, 17u);
}

TEST_F(RTTITest, OneSharedDescriptionPerClassOwnedByTheRegistry) {
    const int before = Sample::registrations;
    Sample first, second;
    IRTTIUser& asInterface = first;
    {
        IRTTIUser::ClassInfo a = asInterface.GetClassInfo();
        IRTTIUser::ClassInfo b = second.GetBoundClassInfo();
        EXPECT_EQ(a.functions[0].function, b.functions[0].function);
        EXPECT_EQ(a.functions[0].function.use_count(), 3);
    }
    EXPECT_EQ(Sample::registrations, before + 1);

    RTTIClassRegistry* registry = RTTIClassRegistry::GetInstance();
    ASSERT_NE(registry, nullptr);
    EXPECT_EQ(registry->Size(), 1u);
    IRTTIUser::ClassInfo* held = registry->Find("rttitest::Sample");
    ASSERT_NE(held, nullptr);
    ASSERT_EQ(held->functions.size(), 4u);
    EXPECT_EQ(held->functions[0].function.use_count(), 1) << "the copies gave their counts back";

    // A registry made afresh (as in a second run of start-up) leads to a fresh description.
    RTTIClassRegistry::Destroy();
    EXPECT_EQ(RTTIClassRegistry::GetInstance(), nullptr);
    RTTIClassRegistry::Create();
    EXPECT_EQ(first.GetClassInfo().functions.size(), 4u);
    EXPECT_EQ(Sample::registrations, before + 2);
    EXPECT_EQ(RTTIClassRegistry::GetInstance()->Size(), 1u);
}

TEST_F(RTTITest, BoundDescriptionsCallTheirOwnObjectOnly) {
    Bound first, second;
    IRTTIUser::ClassInfo a = first.GetBoundClassInfo();
    IRTTIUser::ClassInfo b = second.GetBoundClassInfo();
    ASSERT_EQ(a.functions.size(), 4u);
    EXPECT_EQ(a.name, "rttitest::Bound");
    for (size_t i = 0; i < a.functions.size(); ++i) {
        EXPECT_EQ(a.functions[i].name, b.functions[i].name);
        EXPECT_EQ(a.functions[i].function->GetObject(), static_cast<void*>(&first));
        EXPECT_EQ(b.functions[i].function->GetObject(), static_cast<void*>(&second));
        EXPECT_EQ(a.functions[i].function.use_count(), 1) << "each twin has a count of its own";
    }
    std::vector<Any> value = MFCore::MakeArguments(8.0f);
    Find(b, "SetValue")->function->Invoke(value);
    EXPECT_EQ(second.GetValue(), 8.0f);
    EXPECT_EQ(first.GetValue(), 1.5f);

    std::vector<Any> extra{Any(3), Any("ignored")};
    Find(a, "GetValue")->function->Invoke(extra);
    EXPECT_EQ(Any::Extract<float>(*Find(a, "GetValue")->function->GetResult()), 1.5f);
    std::vector<Any> none;
    EXPECT_THROW(Find(a, "SetValue")->function->Invoke(none), std::logic_error) << "a setter needs its value";
    std::vector<Any> wrong{Any(2)};
    EXPECT_THROW(Find(a, "SetValue")->function->Invoke(wrong), std::logic_error) << "an int is no float";
    EXPECT_EQ(first.GetValue(), 1.5f);
    IRTTIUser::ClassInfo* shared = RTTIClassRegistry::GetInstance()->Find("rttitest::Bound");
    EXPECT_EQ(shared->functions[0].function->GetObject(), nullptr) << "the class description stays unbound";
}

TEST_F(RTTITest, AClassWithoutRegistrationIsUndefined) {
    Silent silent;
    const IRTTIUser::ClassInfo info = silent.GetBoundClassInfo();
    EXPECT_EQ(info.name, "undefined");
    EXPECT_TRUE(info.functions.empty());
    EXPECT_EQ(RTTIClassRegistry::GetInstance()->Size(), 0u);
}

}  // namespace rttitest
