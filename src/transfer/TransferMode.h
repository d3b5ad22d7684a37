#pragma once

// How files are transferred: automatic picks text by the file's extension.
enum TTransferMode { tmText = 0, tmBinary = 1, tmAutomatic = 2 };
