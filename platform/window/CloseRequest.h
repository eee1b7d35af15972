#pragma once
// A request from outside the program to close the game window, as a user closing it would
// (on Linux: a termination signal). Safe to make from a signal handler: the next pump of a
// window's queue takes it and hands it out as a destroy message.
namespace platform {

void RequestWindowClose();
// True once per request.
bool TakeWindowCloseRequest();

}  // namespace platform
