#include "platform/qt/QtShell.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/qt/TemplateControls.h"

namespace fwut::qt {

void QtShell::Open(const std::string& target)
{
    QDesktopServices::openUrl(QUrl(FromAnsi(target)));
}

}  // namespace fwut::qt
