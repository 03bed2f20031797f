#include "app/gui/QtAboutWindow.h"

#include <QLabel>
#include <QPushButton>

#include "app/gui/LinkField.h"
#include "app/gui/ProgramIcon.h"
#include "resources/resource.h"

namespace fwut::qt {

namespace {
constexpr int kIconSize = 32;
}  // namespace

QtAboutWindow::QtAboutWindow(Shell& shell, QWidget* owner)
    : QDialog(owner), m_controls(*this, kAboutDialogTemplate), m_logic(*this, shell)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    WireControls();
}

void QtAboutWindow::WireControls()
{
    for (const TemplateControls::Built& built : m_controls.All()) {
        const int id = built.control->id;
        if (auto* link = dynamic_cast<LinkField*>(built.widget)) {
            link->onLinkMouse = [this, id, link](UINT message) {
                m_logic.OnLink(id, message, 0, static_cast<long>(link->text().size()));
            };
            link->onFocus = [this, id] { m_logic.OnLinkFocus(id); };
        } else if (built.control->kind == ControlKind::Icon) {
            // A Win32 icon control takes the size of its icon.
            auto* icon = static_cast<QLabel*>(built.widget);
            icon->setPixmap(ProgramIcon().pixmap(kIconSize, kIconSize));
            icon->resize(kIconSize, kIconSize);
        } else if (auto* button = qobject_cast<QPushButton*>(built.widget); button != nullptr && id == IDOK) {
            connect(button, &QPushButton::clicked, this, &QDialog::accept);
        }
    }
}

void QtAboutWindow::InitDialog()
{
    m_logic.OnInitDialog();
    FocusOkButton();
}

int QtAboutWindow::RunModal()
{
    InitDialog();
    return exec();
}

void QtAboutWindow::PlaceWindow()
{
    PlaceLikeWindowsDialogs(*this);
}

void QtAboutWindow::SetWindowTextA(const std::string& caption)
{
    setWindowTitle(FromAnsi(caption));
}

void QtAboutWindow::SetDlgItemTextA(int id, const std::string& text)
{
    if (auto* label = qobject_cast<QLabel*>(Control(id))) {
        label->setText(FromAnsi(text));
    }
}

void QtAboutWindow::SetLinkText(int id, const std::string& text)
{
    if (auto* link = dynamic_cast<LinkField*>(Control(id))) {
        link->SetLinkText(FromAnsi(text));
    }
}

std::string QtAboutWindow::GetTextRange(int id, long first, long last)
{
    const auto* link = dynamic_cast<LinkField*>(Control(id));
    if (link == nullptr || first < 0 || last < first) {
        return std::string();
    }
    return ToAnsi(link->text().mid(first, last - first));
}

void QtAboutWindow::FocusOkButton()
{
    if (QWidget* ok = Control(IDOK)) {
        ok->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace fwut::qt
