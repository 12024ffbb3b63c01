#include "ui/ProgramIcons.h"

#include <QImageReader>
#include <QPixmap>

// The pictures are compiled into the program's library, which a static link could leave out.
// Outside the unnamed namespace: the resource's function is the library's.
static void InitIconResources()
{
    Q_INIT_RESOURCE(quorbit);
}

QIcon ReadPngIcon(const QStringList& paths)
{
    InitIconResources();
    QIcon icon;
    for (const QString& strPath : paths)
    {
        QImageReader reader(strPath, "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

std::array<QIcon, kStatusCount> MakeStatusIcons()
{
    const QIcon expired = ReadPngIcon({":/icons/status-expired.png"});
    // In the order of EEventStatus.
    return {ReadPngIcon({":/icons/status-active.png"}),
            ReadPngIcon({":/icons/status-disabled.png"}),
            expired,
            ReadPngIcon({":/icons/status-armed.png"}),
            ReadPngIcon({":/icons/status-firing.png"}),
            expired};
}

QIcon MakeProgramIcon()
{
    return ReadPngIcon({":/icons/quorbit-16.png", ":/icons/quorbit-32.png",
                        ":/icons/quorbit-48.png", ":/icons/quorbit-64.png",
                        ":/icons/quorbit-128.png"});
}
