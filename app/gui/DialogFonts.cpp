#include "app/gui/DialogFonts.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include "ui/DialogPlacement.h"

namespace fwut::qt {

namespace {

constexpr int kFallbackDotsPerInch = 96;

// MulDiv: a * b / c rounded to the nearest, halves away from zero.
int MulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

void InstallFontSubstitutes()
{
    QFont::insertSubstitution(QStringLiteral("MS Shell Dlg"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Shell Dlg 2"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"));
}

QFont TemplateFont(const char* face, int tenthsOfPoint, int dotsPerInch, bool bold)
{
    QFont font(QString::fromLatin1(face));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(-FontPixelHeight(tenthsOfPoint, dotsPerInch));
    font.setBold(bold);
    return font;
}

int ScreenDotsPerInch()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : kFallbackDotsPerInch;
}

DialogBaseUnits BaseUnitsOf(const QFont& dialogFont)
{
    const QFontMetrics metrics(dialogFont);
    const int alphabetWidth =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogBaseUnits{(alphabetWidth / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy)
{
    const int left = MulDiv(x, units.x, 4);
    const int top = MulDiv(y, units.y, 8);
    const int right = MulDiv(x + cx, units.x, 4);
    const int bottom = MulDiv(y + cy, units.y, 8);
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace fwut::qt
