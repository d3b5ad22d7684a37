#include "platform/PumpedWait.h"

void PumpEventsOnce()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
