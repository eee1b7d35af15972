-- What the menu check boxes do. The query functions answer the box's state at start.

FullscreenWanted = false

-- Without a window class (a host that has none) the box shows the last wish.
function CB_QueryFullscreen()
  if Window_ == nil then
    return FullscreenWanted
  end
  return Window_.GetInstance():GetFullscreen()
end

function CB_FullscreenOn(object, dt)
  FullscreenWanted = true
end

function CB_FullscreenOff(object, dt)
  FullscreenWanted = false
end
