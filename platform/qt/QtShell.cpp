#include "platform/qt/QtShell.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace fwut::qt {

void QtShell::Open(const std::string& target)
{
    // The targets are texts in the locale's 8-bit encoding.
    QDesktopServices::openUrl(QUrl(QString::fromLocal8Bit(target.data(), static_cast<qsizetype>(target.size()))));
}

}  // namespace fwut::qt
