#include "tools/icon/IcoFile.h"

#include <QtEndian>

namespace fwut::icon {

namespace {

constexpr int kDirectoryBytes = 6;
constexpr int kEntryBytes = 16;
constexpr int kInfoHeaderBytes = 40;
constexpr int kPaletteEntries = 256;

void Put16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void Put32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

int RowBytes(int bitsPerRow)
{
    return (bitsPerRow + 31) / 32 * 4;
}

// BMP rows run bottom to top, each padded to four bytes.
QByteArray EntryOf(const QImage& picture)
{
    const int width = picture.width();
    const int height = picture.height();
    const int colourRow = RowBytes(width * 8);
    const int maskRow = RowBytes(width);

    QByteArray out;
    Put32(out, kInfoHeaderBytes);
    Put32(out, static_cast<quint32>(width));
    Put32(out, static_cast<quint32>(height * 2));  // colour bits and mask together
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);
    Put32(out, static_cast<quint32>((colourRow + maskRow) * height));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, kPaletteEntries);
    Put32(out, 0);

    for (int i = 0; i < kPaletteEntries; ++i) {
        const QRgb colour = i < picture.colorCount() ? picture.color(i) : 0;
        // A hidden pixel's colour bits must be black for the mask to show
        // the background unchanged.
        const QRgb shown = qAlpha(colour) == 0 ? 0 : colour;
        out.append(static_cast<char>(qBlue(shown)));
        out.append(static_cast<char>(qGreen(shown)));
        out.append(static_cast<char>(qRed(shown)));
        out.append('\0');
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(colourRow, '\0');
        for (int x = 0; x < width; ++x) {
            row[x] = static_cast<char>(picture.pixelIndex(x, y));
        }
        out.append(row);
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(maskRow, '\0');
        for (int x = 0; x < width; ++x) {
            if (qAlpha(picture.color(picture.pixelIndex(x, y))) == 0) {
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
            }
        }
        out.append(row);
    }
    return out;
}

}  // namespace

QByteArray IcoFileOf(const QList<QImage>& pictures)
{
    QList<QByteArray> entries;
    for (const QImage& picture : pictures) {
        entries.push_back(EntryOf(picture));
    }
    QByteArray out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<quint16>(pictures.size()));
    quint32 offset = kDirectoryBytes + kEntryBytes * static_cast<quint32>(pictures.size());
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        out.append(static_cast<char>(pictures[i].width()));
        out.append(static_cast<char>(pictures[i].height()));
        out.append('\0');  // 0 colours stands for 256
        out.append('\0');
        Put16(out, 1);
        Put16(out, 8);
        Put32(out, static_cast<quint32>(entries[i].size()));
        Put32(out, offset);
        offset += static_cast<quint32>(entries[i].size());
    }
    for (const QByteArray& entry : entries) {
        out.append(entry);
    }
    return out;
}

}  // namespace fwut::icon
