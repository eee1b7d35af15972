#pragma once
// The game's layers meet through hook tables the game fills at start-up. A hook still at its
// do-nothing default when it is called notes that here: the first call of each such hook in a
// run logs one line naming it, so a missing wire shows in the first run instead of as a
// silent gap.
#include <string>
#include <vector>

namespace QV {

// Logs "Hook <name> is empty" the first time it is called while the program runs (the engine's
// logger exists); every call is kept for EmptyHooksCalled.
void NoteEmptyHook(const char* name);
// The names of the empty hooks called since the last ForgetEmptyHooks, in first-call order.
std::vector<std::string> EmptyHooksCalled();
void ForgetEmptyHooks();

// The hooks the game leaves empty on purpose: nothing in the game gives them an effect.
const std::vector<std::string>& HooksEmptyOnPurpose();

}  // namespace QV
