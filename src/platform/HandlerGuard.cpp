#include "platform/HandlerGuard.h"

#include <QtGlobal>
#include <exception>

void RunGuarded(const char* handlerName, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        qWarning("%s: unhandled error: %s", handlerName, e.what());
    } catch (...) {
        qWarning("%s: unhandled error of an unknown kind", handlerName);
    }
}
