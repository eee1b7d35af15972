-- The sample world's rising stones and their caller. Each stone is made asleep, sunk out of sight
-- by its spawn logic; the caller's trigger wakes the stones' group one stone after another, and
-- each rises out of the ground and turns slowly while awake. The caller's touch also lights a
-- pulsing lamp where it stands.

function SinkUntilCalled(stone)
  stone:Sleep()
end

function TurnWhileAwake(stone, dt)
  stone:GetTransform():RotateLocalYRad(0.3 * dt)
end

function CallTheStones(caller)
  local lamp = Factory_.GetInstance():CreateObject("World/PulsingLamp", caller)
  if not IsNil(lamp) then
    lamp:NameObject("StoneCallLamp")
    lamp:Initialize(false)
  end
end
