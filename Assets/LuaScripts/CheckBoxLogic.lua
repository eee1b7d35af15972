-- What the menu check boxes do. The query functions answer the box's state at start.

FullscreenWanted = false

-- Without a window (a host that has none) the box shows the last wish.
function CB_QueryFullscreen()
  if Window_ == nil or IsNil(Window_.GetInstance()) then
    return FullscreenWanted
  end
  return Window_.GetInstance():GetFullscreen()
end

-- The graphics system switches the device and the window; a host without one keeps the wish.
local function SetFullscreen(on)
  FullscreenWanted = on
  if Graphics_ ~= nil and not IsNil(Graphics_.GetInstance()) then
    Graphics_.GetInstance():SetFullscreen(on)
  end
end

function CB_FullscreenOn(object, dt)
  SetFullscreen(true)
end

function CB_FullscreenOff(object, dt)
  SetFullscreen(false)
end
