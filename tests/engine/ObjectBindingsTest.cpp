// Scripts that drive game objects, their transforms and components, and the factory.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "LuaTestSupport.h"
#include "support/TempTree.h"

namespace {

using enginetest::EngineFixture;
using enginetest::kMoverID;

class ObjectBindingsTest : public EngineFixture {
protected:
    ObjectBindingsTest() {
        enginetest::RegisterScriptComponents(factory);
        factory.SetObjectInFormat("xml");
        tree.Write("Assets/Objects/things.xml",
                   "<?xml version=\"1.0\" ?>\n<GameObjectBlueprints>"
                   "<GameObjectBlueprint name=\"Car\"><Components/></GameObjectBlueprint>"
                   "<GameObjectBlueprint name=\"42\"><Components/></GameObjectBlueprint>"
                   "</GameObjectBlueprints>\n");
        factory.AddBlueprint("../Assets/Objects/things.xml");
        parent = factory.NewGameObject();
        child = factory.NewGameObject();
        parent->NameObject("parent");
        child->NameObject("child");
        parent->AttachChild(child);
        parent->GetTransform().SetPos(SD::Vec3(10, 0, 0));
        child->GetTransform().SetPos(SD::Vec3(1, 0, 0));
        child->AddComponent(kMoverID);
        parent->Initialize(false);
        child->Initialize(false);
        EXPECT_TRUE(lua.Run(R"(
            f = Factory_.GetInstance()
            parent = f:GetGameObject('parent')
            child = f:GetGameObject('child')
            t = child:GetTransform()
            function V3(x, y, z) local v = Vec3() v:SetX(x) v:SetY(y) v:SetZ(z) return v end
            function S3(v) return v:GetX() .. ' ' .. v:GetY() .. ' ' .. v:GetZ() end
        )"));
    }

    qvtest::TempTree tree;
    luatest::LuaHost lua;
    SD::GameObject* parent = nullptr;
    SD::GameObject* child = nullptr;
};

// The cases run in order on one scene; each sees what the ones before it did.
struct Case {
    const char* code;      // sets `r`
    const char* expected;  // tostring(r)
    const char* printed;   // fragment of what the script printed, or ""
};

const Case kCases[] = {
    {"r = f:VName()", "Factory", ""},
    {"r = f:GetComponentName(0) .. '|' .. f:GetComponentName(1) .. '|' .. f:GetComponentName(112) .. '|' .. "
     "f:GetComponentName(-1)",
     "Transform|||", ""},
    {"r = f:GetComponentName(4.6)", "LuaComponent", ""},
    {"r = parent:GetName() .. ' ' .. child:GetName()", "parent child", ""},
    {"r = IsNil(f:GetGameObject('nobody'))", "true", ""},
    {"r = f:GetGameObject('nobody'):GetName()", "nil", "'GameObject::GetName' with this pointer being NULL."},
    {"r = f:GetGameObject('nobody'):GetTransform()", "nil", "'GameObject::GetTransform' with this pointer"},
    {"r = S3(t:GetPos()) .. ' | ' .. t:GetPosX()", "11 0 0 | 1", ""},
    {"local v = t:GetPos() v:SetX(99) r = t:GetPosX()", "1", ""},
    {"t:SetPos(V3(2, 3, 4)) r = S3(t:GetPos())", "12 3 4", ""},
    {"t:SetPosY('abc') r = t:GetPosY()", "0", ""},
    {"t:SetScale(V3(2, 2, 2)) r = t:GetScaleZ()", "2", ""},
    {"local m = t:GetOrient() r = getmetatable(m) == Mtx33", "true", ""},
    {"t:SetOrient(Mtx33()) r = S3(t:GetDir())", "0 0 0", ""},
    {"t:SetOrient(Mtx33.Identity()) t:RotateLocalYRad(math.pi / 2) r = string.format('%.3f %.3f', t:GetDir():GetX(), "
     "t:GetDir():GetZ())",
     "1.000 -0.000", ""},
    {"r = t:GetID() .. ' ' .. t:VGetID()", "0 0", ""},
    {"r = t:Base():GetName()", "child", ""},
    {"r = get_parent(child):GetName() .. ' ' .. tostring(IsNil(get_parent(parent)))", "parent true", ""},
    {"r = getmetatable(child:GetComponent(CID_Transform)) == Transform", "true", ""},
    {"r = child:GetComponent('abc'):GetPosX()", "2", ""},
    {"r = child:GetComponent(999)", "nil", ""},
    {"local c = child:GetComponent(22) r = c:VGetID() .. ' ' .. c:Base():GetName()", "22 child", ""},
    {"child:NameObject('renamed') r = f:GetGameObject('renamed'):GetName()", "renamed", ""},
    {"child:NameObject({}) r = child:GetName()", "renamed", "error: Argument 2 is not a string value."},
    {"local o = f:CreateObject('Car', parent) r = o:GetBlueprintName() .. ' ' .. get_parent(o):GetName()", "Car parent",
     ""},
    {"r = f:CreateObject(42, parent):GetBlueprintName()", "42", ""},
    {"r = IsNil(f:CreateObject({}, parent))", "true", ""},
};

TEST_F(ObjectBindingsTest, ScriptsDriveObjectsTransformsAndTheFactory) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.code);
        bool ran = false;
        std::string printed = lua.RunPrinted(std::string("r = nil\n") + c.code + "\nr = tostring(r)", &ran);
        ASSERT_TRUE(ran) << printed;
        EXPECT_EQ(lua.Text("r"), c.expected);
        EXPECT_NE(printed.find(c.printed), std::string::npos) << printed;
    }
    // References handed to scripts are never freed by the collector.
    ASSERT_TRUE(lua.Run("collectgarbage('collect')"));
    EXPECT_EQ(child->GetTransform().GetOwner(), child);
}

TEST_F(ObjectBindingsTest, DestroyThroughTheScript) {
    ASSERT_TRUE(lua.Run("child:Destroy()"));
    factory.Update(0.0f);
    EXPECT_EQ(factory.GetGameObject(std::string("child")), nullptr);
    ASSERT_TRUE(lua.Run("gone = IsNil(f:GetGameObject('child'))"));
    EXPECT_TRUE(lua.Boolean("gone"));
}

// Values kept by a script after their object is deleted read as null instead of reaching
// freed memory.
TEST_F(ObjectBindingsTest, ValuesKeptPastTheirObjectReadAsNull) {
    ASSERT_TRUE(lua.Run("c = child:GetComponent(22)"));
    child->RemoveComponent(child->GetComponent(kMoverID));
    ASSERT_TRUE(lua.Run("removed = IsNil(c) id = c:VGetID()"));
    EXPECT_TRUE(lua.Boolean("removed"));
    ASSERT_TRUE(lua.Run("child:Destroy()"));
    factory.Update(0.0f);
    SD::GameObject* other = factory.NewGameObject();  // may reuse the slot
    ASSERT_NE(other, nullptr);
    std::string printed = lua.RunPrinted(R"(
        a = child:GetName()
        b = t:GetPosX()
        d = IsNil(child) and IsNil(t)
        e = get_parent(child)
    )");
    EXPECT_NE(printed.find("'GameObject::GetName' with this pointer being NULL."), std::string::npos) << printed;
    EXPECT_NE(printed.find("'Transform::GetPosX' with this pointer being NULL."), std::string::npos) << printed;
    EXPECT_TRUE(lua.Boolean("d"));
    ASSERT_TRUE(lua.Run("e = IsNil(e)"));
    EXPECT_TRUE(lua.Boolean("e"));
}

}  // namespace
