-- Run once at start-up. The engine keeps the handle of every registered LuaLogic object in
-- ActiveLuaGameObjects.objects (keys are reference numbers) and gives each handle the update
-- function named in its data; update walks them once a frame.

ActiveLuaGameObjects = { objects = {} }

function ActiveLuaGameObjects.update(self, dt)
  for key, handle in pairs(self.objects) do
    -- Key 0 may hold the reference list's free slot number, not a handle.
    if type(handle) == "userdata" then
      local update = handle.update
      local object = handle:GetGameObject()
      if update ~= nil and not IsNil(object) then
        update(object, dt)
      end
    end
  end
end
