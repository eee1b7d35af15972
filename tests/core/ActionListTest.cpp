#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/ActionList.h"

namespace {

using Group = SD::ActionList::GroupIDs::GroupID;
Group G(uint32_t bits) { return static_cast<Group>(bits); }

std::vector<std::string> g_log;

void Log(const char* what, int frame, Group group) {
    g_log.push_back(std::string(what) + std::to_string(static_cast<uint32_t>(group)) + "@" + std::to_string(frame));
}
void Plain(int frame, SD::ActionList*, Group group) { Log("run", frame, group); }
void Finishes(int frame, SD::ActionList* list, Group group) {
    Log("finish", frame, group);
    list->Finish();
}
void BlocksTwo(int frame, SD::ActionList* list, Group group) {
    Log("block", frame, group);
    list->Block(2);
}
void BlocksAll(int frame, SD::ActionList* list, Group group) {
    Log("blockall", frame, group);
    list->BlockAll();
}
void Throws(int frame, SD::ActionList*, Group group) {
    Log("throw", frame, group);
    throw std::runtime_error("action failed");
}

SD::ActionList::Action Make(void (*f)(int, SD::ActionList*, Group)) {
    return std::make_shared<MFCore::StaticFunction_3Parameters<void, int, SD::ActionList*, Group>>(f);
}

std::vector<std::string> UpdateList(SD::ActionList& list, int frame) {
    g_log.clear();
    std::vector<MFCore::Any> args{MFCore::Any(frame)};
    list.Update(args);
    EXPECT_EQ(args.size(), 1u);  // the caller's arguments come back as given
    return g_log;
}

TEST(ActionList, FinishBlockAndGroupsAsATable) {
    struct Case {
        const char* what;
        std::vector<std::pair<void (*)(int, SD::ActionList*, Group), uint32_t>> actions;
        std::vector<std::string> first, second;
    };
    const Case cases[] = {
        {"finish is removed, the next still runs", {{Finishes, 1}, {Plain, 2}}, {"finish1@1", "run2@1"}, {"run2@2"}},
        {"block skips later members of the group only",
         {{Plain, 2}, {BlocksTwo, 1}, {Plain, 2}, {Plain, 4}, {Plain, 6}},
         {"run2@1", "block1@1", "run4@1"},
         {"run2@2", "block1@2", "run4@2"}},
        {"block all spares group 0 and bits above the low eight",
         {{BlocksAll, 1}, {Plain, 0}, {Plain, 0x80}, {Plain, 0x100}},
         {"blockall1@1", "run0@1", "run256@1"},
         {"blockall1@2", "run0@2", "run256@2"}},
        {"a finished blocker still blocks",
         {{Finishes, 1}, {BlocksTwo, 8}, {Plain, 2}, {Finishes, 2}, {Plain, 16}},
         {"finish1@1", "block8@1", "run16@1"},
         {"block8@2", "run16@2"}},
    };
    for (const Case& c : cases) {
        SD::ActionList list;
        for (auto& [f, group] : c.actions) list.PushBack(Make(f), G(group));
        EXPECT_EQ(UpdateList(list, 1), c.first) << c.what;
        EXPECT_EQ(UpdateList(list, 2), c.second) << c.what;
    }
}

TEST(ActionList, ReplaceGroupLeavesOneEntryAtTheEnd) {
    SD::ActionList list;
    list.PushBack(Make(Plain), G(4));
    list.PushBack(Make(Plain), G(1));
    list.PushBack(Make(Plain), G(4));
    list.PushFront(Make(Plain), G(4));
    list.ReplaceGroupBack(Make(Finishes), G(4));
    EXPECT_EQ(list.Size(), 2u);
    EXPECT_EQ(UpdateList(list, 1), (std::vector<std::string>{"run1@1", "finish4@1"}));
    list.ReplaceGroupFront(Make(Plain), G(1));
    EXPECT_EQ(UpdateList(list, 2), (std::vector<std::string>{"run1@2"}));
}

std::vector<std::string> RunList(SD::ActionList& list, int frame) {
    g_log.clear();
    std::vector<MFCore::Any> args{MFCore::Any(frame)};
    list.Run(args);
    return g_log;
}

void PopsLast(int frame, SD::ActionList* list, Group group) {
    Log("pop", frame, group);
    list->PopBack();
}

TEST(ActionList, GameCodeNamesAndPopBack) {
    SD::ActionList list;
    list.PopBack();  // nothing to drop
    list.Append(Make(Plain), G(4));
    list.Append(Make(Plain), G(1));
    list.Append(Make(Plain), G(4));
    list.Replace(Make(Plain), G(4));
    EXPECT_EQ(RunList(list, 1), (std::vector<std::string>{"run1@1", "run4@1"}));
    list.ReplaceFront(Make(Finishes), G(1));
    EXPECT_EQ(RunList(list, 2), (std::vector<std::string>{"finish1@2", "run4@2"}));
    list.Append(Make(Plain), G(8));
    list.PopBack();
    EXPECT_EQ(RunList(list, 3), (std::vector<std::string>{"run4@3"}));
    // An action may drop the last one, itself included, while the list runs.
    list.Append(Make(PopsLast), G(2));
    list.Append(Make(Plain), G(16));
    EXPECT_EQ(RunList(list, 4), (std::vector<std::string>{"run4@4", "pop2@4"}));
    EXPECT_EQ(RunList(list, 5), (std::vector<std::string>{"run4@5", "pop2@5"}));
    EXPECT_EQ(RunList(list, 6), (std::vector<std::string>{"run4@6"}));
    EXPECT_EQ(list.Size(), 1u);
}

void PushesFrontAndFinishes(int frame, SD::ActionList* list, Group group) {
    Log("front", frame, group);
    list->PushFront(Make(Plain), G(16));
    list->Finish();
}
void RemovesOwnGroupAndFinishes(int frame, SD::ActionList* list, Group group) {
    Log("remove", frame, group);
    list->RemoveGroup(group);
    list->Finish();
}

// The running action may move in the list; finishing removes that action, not its old slot.
TEST(ActionList, FinishRemovesTheRunningActionWhereverItMoved) {
    SD::ActionList list;
    list.PushBack(Make(PushesFrontAndFinishes), G(1));
    list.PushBack(Make(Plain), G(2));
    EXPECT_EQ(UpdateList(list, 1), (std::vector<std::string>{"front1@1", "run2@1"}));
    EXPECT_EQ(UpdateList(list, 2), (std::vector<std::string>{"run16@2", "run2@2"}));

    SD::ActionList removing;
    removing.PushBack(Make(RemovesOwnGroupAndFinishes), G(1));
    removing.PushBack(Make(Plain), G(2));
    EXPECT_EQ(UpdateList(removing, 1), (std::vector<std::string>{"remove1@1", "run2@1"}));
    EXPECT_EQ(UpdateList(removing, 2), (std::vector<std::string>{"run2@2"}));
}

TEST(ActionList, AnExceptionLeavesTheListAsItIs) {
    SD::ActionList list;
    list.PushBack(Make(Plain), G(1));
    list.PushBack(Make(Throws), G(2));
    list.PushBack(Make(Plain), G(4));
    std::vector<MFCore::Any> args{MFCore::Any(3)};
    g_log.clear();
    EXPECT_THROW(list.Update(args), std::runtime_error);
    EXPECT_EQ(g_log, (std::vector<std::string>{"run1@3", "throw2@3"}));
    EXPECT_EQ(list.Size(), 3u);
}

TEST(ActionList, EmptyListsAndActionsWithoutTheListParameters) {
    SD::ActionList list;
    EXPECT_TRUE(UpdateList(list, 1).empty());
    EXPECT_EQ(list.BlockedGroups(), 0u);
    static int calls;
    calls = 0;
    list.PushBack(std::make_shared<MFCore::StaticFunction_0Parameters<void>>([] { ++calls; }), G(1));
    UpdateList(list, 1);
    UpdateList(list, 2);
    EXPECT_EQ(calls, 2);
}

}  // namespace
