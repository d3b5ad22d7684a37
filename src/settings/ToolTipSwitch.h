#pragma once

// Qt has no switch for all tool tips of an application; this one filters
// the tool-tip events of every widget while tips are off.
void SetToolTipsShown(bool shown);
bool ToolTipsShown();
