-- The vehicle's way back: "Reset" (R, or the pad's Start) puts the vehicle where the level starts
-- it, facing the way the level starts it, at rest. The pad's Start also pauses the game: a press
-- that pauses resets nothing.

-- Nothing to prepare: the vehicle's reset position and angles come from the level.
function ResetKeyReady(vehicle)
end

function ResetOnKey(vehicle, dt)
  local input = Input_.GetInstance()
  if input:GetDigitalTriggered("Reset") and not input:GetDigitalTriggered("TogglePause") then
    vehicle:GetComponent(12):ResetPlayer()
  end
end
