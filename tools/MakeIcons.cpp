// Renders the program's icon, ui/resources/quorbit.svg, into the PNG sizes the windows and the
// desktop use, in the folder named on the command line. The windows take the PNGs: reading a
// PNG is built into Qt, while the SVG would load the SVG libraries at every start.
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: quorbit_make_icons ICON.svg FOLDER\n");
        return 2;
    }
    const QGuiApplication application(argc, argv);
    const QIcon icon(QString::fromLocal8Bit(argv[1]));
    const QString strFolder = QString::fromLocal8Bit(argv[2]);
    for (const int nSize : {16, 22, 24, 32, 48, 64, 128, 256})
    {
        const QString strPath = QStringLiteral("%1/quorbit-%2.png").arg(strFolder).arg(nSize);
        if (icon.isNull() || !icon.pixmap(nSize).save(strPath, "PNG"))
        {
            std::fprintf(stderr, "quorbit_make_icons: %s: cannot render the icon at %d pixels\n",
                         qPrintable(strPath), nSize);
            return 1;
        }
    }
    return 0;
}
