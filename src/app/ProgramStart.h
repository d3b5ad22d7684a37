#pragma once
#include <memory>

class TfrmMain;

// What the program does between creating the application object and running
// its message loop, kept out of main() so the start-up can be tested.
void SetApplicationIdentity();
std::unique_ptr<TfrmMain> ShowMainWindow();
