#pragma once
// SIGINT and SIGTERM in the game executable: the first closes the game window, so the game
// leaves the way a closed window makes it leave (shutdown in order, variables saved, summary
// printed); a second one ends the program at once.
namespace QV {

void InstallQuitSignals();

}  // namespace QV
