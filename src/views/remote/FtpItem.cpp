#include "views/remote/FtpItem.h"

#include "platform/RemoteText.h"

QByteArray TFtpItem::RemoteName() const
{
    return EncodeRemote(Name);
}
