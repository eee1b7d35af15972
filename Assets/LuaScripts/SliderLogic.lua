-- The volume slider sets the master volume itself; these are kept for sliders that report
-- their value to scripts.

SliderValue = 0

function SL_QueryVolume()
  return SliderValue
end

function SL_SetVolume(object, value)
  SliderValue = value
end
