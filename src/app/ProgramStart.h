#pragma once
#include <QStringList>
#include <memory>

class TfrmMain;

// What the program does between creating the application object and running
// its message loop, kept out of main() so the start-up can be tested.
void SetApplicationIdentity();
// arguments: the command line without the program's name; a link there is
// opened once the message loop runs.
std::unique_ptr<TfrmMain> ShowMainWindow(const QStringList& arguments = {});
