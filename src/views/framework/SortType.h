#pragma once

// The sort key of a file list view. Directories come first whatever the key.
enum TSortType { stName, stType, stSize, stDate };
