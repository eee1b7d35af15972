// Group components: membership in the process-wide registry, join and leave listeners, sleep,
// renaming and reflection. Each test uses group names of its own, as the registry lives for
// the whole run.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "core/Delegate.h"
#include "engine/Group.h"
#include "engine/SuperialDataMap.h"

namespace {

using enginetest::EngineFixture;

// The label of each test object's Group component (object names go before the object does).
std::map<const SD::Group*, std::string>& MemberLabels() {
    static std::map<const SD::Group*, std::string> labels;
    return labels;
}

// Records every call as "join:<label>" or "leave:<label>".
class Recorder {
public:
    void Joined(SD::Group* group) { events.push_back("join:" + Label(group)); }
    void Left(SD::Group* group) { events.push_back("leave:" + Label(group)); }
    static std::string Label(SD::Group* group) { return MemberLabels()[group]; }

    SD::Group::Listener JoinListener() {
        return std::make_shared<MFCore::Delegate_1Parameters<void, Recorder, SD::Group*>>(this, &Recorder::Joined);
    }
    SD::Group::Listener LeaveListener() {
        return std::make_shared<MFCore::Delegate_1Parameters<void, Recorder, SD::Group*>>(this, &Recorder::Left);
    }
    std::vector<std::string> Take() { return std::move(events); }

    std::vector<std::string> events;
};

class GroupTest : public EngineFixture {
protected:
    GroupTest() { factory.RegisterComponentCreator("Group", SD::CID_Group, new SD::ComponentCreator<SD::Group>); }
    ~GroupTest() override { MemberLabels().clear(); }

    // A started object named `label` whose Group component carries `group`.
    SD::GameObject* Member(const std::string& label, const char* group) {
        SD::GameObject* object = factory.NewGameObject();
        GroupOf(object)->SetGroupName(group);
        MemberLabels()[GroupOf(object)] = label;
        object->Initialize(false);
        return object;
    }
    SD::Group* GroupOf(SD::GameObject* object) {
        SD::Component* c = object->GetComponent(SD::CID_Group);
        return static_cast<SD::Group*>(c ? c : object->AddComponent(SD::CID_Group));
    }
    static std::vector<std::string> Listed(const char* name) {
        std::vector<std::string> labels;
        for (SD::Component* member : SD::Group::FindGroup(SD::SharedString(name)))
            labels.push_back(Recorder::Label(SD::Group::AsGroup(member)));
        return labels;
    }
    void Listen(const char* name) {
        SD::Group::AddListener(SD::SharedString(name), recorder.JoinListener());
        SD::Group::AddLeaveListener(SD::SharedString(name), recorder.LeaveListener());
    }

    Recorder recorder;
};

using Labels = std::vector<std::string>;

TEST_F(GroupTest, MembersJoinLeaveAndMoveInOrderTellingTheListeners) {
    Listen("Lamps");
    Listen("Trees");
    SD::GameObject* a = Member("a", "Lamps");
    Member("b", "Lamps");
    Member("c", "Trees");
    EXPECT_EQ(Listed("Lamps"), (Labels{"a", "b"}));
    EXPECT_EQ(Listed("Trees"), (Labels{"c"}));
    EXPECT_EQ(recorder.Take(), (Labels{"join:a", "join:b", "join:c"}));

    GroupOf(a)->SetGroupName("Trees");
    EXPECT_STREQ(GroupOf(a)->GetGroupName(), "Trees");
    EXPECT_EQ(Listed("Lamps"), (Labels{"b"}));
    EXPECT_EQ(Listed("Trees"), (Labels{"c", "a"}));
    EXPECT_EQ(recorder.Take(), (Labels{"leave:a", "join:a"}));

    // A play state in which the component is inactive takes it out; the way back rejoins.
    GroupOf(a)->SetActiveIn(SD::kPlayStatePause, false);
    a->ChangeActiveState(SD::kPlayStatePause);
    EXPECT_EQ(Listed("Trees"), (Labels{"c"}));
    a->ChangeActiveState(SD::kPlayStatePlay);
    EXPECT_EQ(Listed("Trees"), (Labels{"c", "a"}));
    EXPECT_EQ(recorder.Take(), (Labels{"leave:a", "join:a"}));

    // Deleting the object takes it out; the emptied group stays known.
    factory.DestroyGameObject(a);
    factory.Update(0.0f);
    EXPECT_EQ(recorder.Take(), (Labels{"leave:a"}));
    EXPECT_EQ(Listed("Trees"), (Labels{"c"}));
    SD::Group::RemoveListener(SD::SharedString("Lamps"), &recorder);
    SD::Group::RemoveListener(SD::SharedString("Trees"), &recorder);
}

TEST_F(GroupTest, ListenerAddedToAGroupWithMembersIsCalledAtOnceInMemberOrder) {
    Member("first", "Stones");
    Member("second", "Stones");
    SD::Group::Listener join = recorder.JoinListener();
    SD::Group::AddListener(SD::SharedString("Stones"), join);
    EXPECT_EQ(recorder.Take(), (Labels{"join:first", "join:second"}));

    // The same listener again changes nothing; a removed one hears no more.
    SD::Group::AddListener(SD::SharedString("Stones"), join);
    Member("third", "Stones");
    EXPECT_EQ(recorder.Take(), (Labels{"join:third"}));
    SD::Group::RemoveListener(SD::SharedString("Stones"), join);
    Member("fourth", "Stones");
    EXPECT_TRUE(recorder.Take().empty());

    // A listener of a group nobody has named yet waits quietly.
    SD::Group::AddListener(SD::SharedString("Nobody"), recorder.JoinListener());
    EXPECT_TRUE(recorder.Take().empty());
    SD::Group::RemoveListener(SD::SharedString("Nobody"), &recorder);
    SD::Group::RemoveListener(SD::SharedString("Unknown"), &recorder);
}

TEST_F(GroupTest, RemovingBySubscriberDropsItsJoinAndLeaveListeners) {
    Listen("Clouds");
    Recorder other;
    SD::Group::AddListener(SD::SharedString("Clouds"), other.JoinListener());
    SD::Group::RemoveListener(SD::SharedString("Clouds"), &recorder);
    SD::GameObject* cloud = Member("cloud", "Clouds");
    factory.DestroyGameObject(cloud);
    factory.Update(0.0f);
    EXPECT_TRUE(recorder.Take().empty());
    EXPECT_EQ(other.Take(), (Labels{"join:cloud"}));
    SD::Group::RemoveListener(SD::SharedString("Clouds"), &other);
}

TEST_F(GroupTest, SleepingLeavesTheComponentInItsGroup) {
    SD::GameObject* owl = Member("owl", "Birds");
    Member("crow", "Birds");
    owl->Sleep();
    EXPECT_TRUE(owl->IsAsleep());
    EXPECT_FALSE(GroupOf(owl)->IsAsleep());
    EXPECT_TRUE(GroupOf(owl)->IsRegistered());
    Labels listed = Listed("Birds");
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (Labels{"crow", "owl"}));
    owl->Awake();
    EXPECT_EQ(Listed("Birds").size(), 2u);
}

TEST_F(GroupTest, EmptyNamesAreNeverListedAndUnstartedComponentsJoinWhenStarted) {
    Listen("");
    SD::GameObject* nameless = Member("nameless", "");
    EXPECT_TRUE(Listed("").empty());
    GroupOf(nameless)->SetGroupName(nullptr);
    EXPECT_STREQ(GroupOf(nameless)->GetGroupName(), "");
    factory.DestroyGameObject(nameless);
    factory.Update(0.0f);
    EXPECT_TRUE(recorder.Take().empty());

    SD::GameObject* late = factory.NewGameObject();
    GroupOf(late)->SetGroupName("Late");
    MemberLabels()[GroupOf(late)] = "late";
    EXPECT_TRUE(Listed("Late").empty());
    late->Initialize(false);
    EXPECT_EQ(Listed("Late"), (Labels{"late"}));
    SD::Group::RemoveListener(SD::SharedString(""), &recorder);
}

TEST_F(GroupTest, NameReadAnewWhileListedLeavesTheGroupItJoined) {
    Listen("Old");
    SD::GameObject* moth = Member("moth", "Old");
    auto level = SD::SuperialDataMap::parseXmlFromBuffer(
        "<GameObject><Components><Group><String name=\"Group Name\">New</String></Group></Components></GameObject>");
    ASSERT_TRUE(level);
    SD::GameObject::SerializeIn(level->Top(), moth, true);
    EXPECT_STREQ(GroupOf(moth)->GetGroupName(), "New");
    factory.DestroyGameObject(moth);
    factory.Update(0.0f);
    EXPECT_TRUE(Listed("Old").empty());
    EXPECT_TRUE(Listed("New").empty());
    EXPECT_EQ(recorder.Take(), (Labels{"join:moth", "leave:moth"}));
    SD::Group::RemoveListener(SD::SharedString("Old"), &recorder);
}

TEST_F(GroupTest, InitialisationClearsTheActiveFlag) {
    SD::GameObject* object = factory.NewGameObject();
    GroupOf(object)->SetActive(true);
    object->Initialize(false);
    EXPECT_FALSE(GroupOf(object)->IsActive());
}

TEST_F(GroupTest, ReflectedAccessorsReadAndRenameTheGroup) {
    RTTIClassRegistry::Create();
    SD::GameObject* bee = Member("bee", "Hive");
    SD::Group* group = GroupOf(bee);
    const IRTTIUser::ClassInfo info = group->GetClassInfo();
    EXPECT_EQ(info.name, "SD::Group");
    ASSERT_EQ(info.functions.size(), 2u);
    EXPECT_EQ(info.functions[0].name, "GetGroupName");
    EXPECT_EQ(info.functions[1].name, "SetGroupName");
    std::vector<MFCore::Any> args{MFCore::Any(group), MFCore::Any(static_cast<const char*>("Meadow"))};
    info.functions[1].function->Invoke(args);
    EXPECT_EQ(Listed("Meadow"), (Labels{"bee"}));
    EXPECT_TRUE(Listed("Hive").empty());
    std::vector<MFCore::Any> self{MFCore::Any(group)};
    info.functions[0].function->Invoke(self);
    EXPECT_STREQ(MFCore::Any::Extract<const char*>(*info.functions[0].function->GetResult()), "Meadow");
    RTTIClassRegistry::Destroy();
}

}  // namespace
