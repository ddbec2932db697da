#include "ProgramIcon.h"

// Resources of a static library are registered by hand, outside any namespace.
static void InitFrameResources()
{
    Q_INIT_RESOURCE(frame);
}

QIcon ProgramIcon()
{
    static const bool registered = (InitFrameResources(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/ondrel/ondrel.svg"));
}
