#pragma once
#include "transfer/TransferMode.h"

// Where the main window's session stands; callers compare the numbers.
enum TConnectionState { csConnecting = 0, csConnected = 1, csNotConnected = 2 };
