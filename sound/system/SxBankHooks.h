#pragma once
// What joins the bank manager and the stream manager to the voices: the media of loaded banks
// handed to sources and effects through the media provider, and banks opened through the stream manager (so
// they come from files under the base path or from loaded file packages).
#include <memory>

#include "sound/engine/bank/SxBankSource.h"

namespace SD {

// Installs the media provider and the bank opener; RemoveBankHooks puts the defaults back.
void InstallBankHooks();
void RemoveBankHooks();

// The bank of that name, or without a name the bank file of that ID (the current language's
// first, then the one every language shares), read through a standard stream of the stream
// manager; null when the stream manager is missing or the file cannot be opened.
std::unique_ptr<SX::ISxBankSource> OpenBankThroughStreams(const char* name, SX::SxBankID bankID);

}  // namespace SD
