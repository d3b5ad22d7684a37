#pragma once

// Where the main window's session stands; callers compare the numbers.
enum TConnectionState { csConnecting = 0, csConnected = 1, csNotConnected = 2 };

// How files are transferred: automatic picks text by the file's extension.
enum TTransferMode { tmText = 0, tmBinary = 1, tmAutomatic = 2 };
