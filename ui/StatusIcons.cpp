#include "ui/StatusIcons.h"

std::array<QIcon, kStatusCount> MakeStatusIcons()
{
    // The pictures are compiled into the program's library, which a static link could leave out.
    Q_INIT_RESOURCE(quorbit);
    // In the order of EEventStatus.
    return {QIcon(":/icons/status-active.png"),  QIcon(":/icons/status-disabled.png"),
            QIcon(":/icons/status-expired.png"), QIcon(":/icons/status-armed.png"),
            QIcon(":/icons/status-firing.png"),  QIcon(":/icons/status-expired.png")};
}
