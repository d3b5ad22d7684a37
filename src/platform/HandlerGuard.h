#pragma once
#include <functional>

// Runs an event handler so that no exception unwinds through the event loop
// (Qt does not allow it). What it catches is logged as a warning naming the
// handler; the code that waits for the handler's work learns of trouble
// through its own state, not through the exception.
void RunGuarded(const char* handlerName, const std::function<void()>& handler);
