-- A sample Lua component: turns its object about its own up axis, faster as it goes.

function SpinnerInit(object)
  object:GetTransform():SetScale(Vec3.new() + ScaledUnit(1))
end

function ScaledUnit(s)
  local v = Vec3()
  v:SetX(s)
  v:SetY(s)
  v:SetZ(s)
  return v
end

function SpinnerUpdate(object, dt)
  object:GetTransform():RotateLocalYRad(1.5 * dt)
end
