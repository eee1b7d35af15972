-- What the menu buttons do. Each function gets the button's object and the frame time.

local function States()
  return GameStateManager_.GetInstance()
end

-- Destroys the named object (a HUD root takes its whole tree with it) when it exists.
function DestroyNamed(name)
  local object = Factory_.GetInstance():GetGameObject(name)
  if not IsNil(object) then
    object:Destroy()
  end
end

function MM_Play(object, dt)
  States():ChangeLevelTo("World")
end

function MM_Credits(object, dt)
  States():ChangeLevelTo("Credits")
end

-- Asks first: the prompt's own buttons leave or stay.
function MM_Quit(object, dt)
  if IsNil(Factory_.GetInstance():GetGameObject("QuitPrompt")) then
    local prompt = HudSystem.GetInstance():CreateHud("PromptToQuit")
    if not IsNil(prompt) then
      prompt:NameObject("QuitPrompt")
      prompt:Initialize()
    end
  end
end

function MM_ChangeRes(object, dt)
  HudSystem.GetInstance():ChangeRes(object)
end

function PQ_Yes(object, dt)
  States():ChangeLevelTo("Quit")
end

function PQ_No(object, dt)
  DestroyNamed("QuitPrompt")
end

function PM_Resume(object, dt)
  States():SetPlayState(0)
  DestroyNamed("PauseMenu")
end

function PM_GoToMenu(object, dt)
  States():SetPlayState(0)
  States():ChangeLevelTo("MainMenu")
end
