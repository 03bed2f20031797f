// fwut-icongen OUTPUT_FOLDER: draws the program icon and writes fwut-32.png,
// fwut-16.png and fwut.ico (32x32 and 16x16 in 256 colours) into the folder,
// and fwut-48.png, fwut-128.png and fwut-256.png in full colour for the
// desktop's icon theme.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "platform/ProgramStart.h"
#include "tools/icon/IcoFile.h"
#include "tools/icon/IconArt.h"

int main(int argc, char** argv)
{
    fwut::program::Start();
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: fwut-icongen OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QList<QImage> pictures;
    for (int size : {32, 16}) {
        const QImage picture = fwut::icon::ToPalettized(fwut::icon::DrawIcon(size));
        if (picture.isNull()) {
            std::fprintf(stderr, "fwut-icongen: the %dx%d picture needs more than 256 colours\n", size, size);
            return 1;
        }
        const QString name = folder.filePath(QStringLiteral("fwut-%1.png").arg(size));
        if (!picture.save(name, "PNG")) {
            std::fprintf(stderr, "fwut-icongen: cannot write %s\n", qPrintable(name));
            return 1;
        }
        pictures.push_back(picture);
    }
    // Smooth edges matter at these sizes, and no icon file needs a palette.
    for (int size : {48, 128, 256}) {
        const QString name = folder.filePath(QStringLiteral("fwut-%1.png").arg(size));
        if (!fwut::icon::DrawIcon(size).save(name, "PNG")) {
            std::fprintf(stderr, "fwut-icongen: cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    QFile ico(folder.filePath(QStringLiteral("fwut.ico")));
    if (!ico.open(QIODevice::WriteOnly) || ico.write(fwut::icon::IcoFileOf(pictures)) < 0) {
        std::fprintf(stderr, "fwut-icongen: cannot write %s\n", qPrintable(ico.fileName()));
        return 1;
    }
    return 0;
}
