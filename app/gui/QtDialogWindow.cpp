#include "app/gui/QtDialogWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <algorithm>

#include "app/gui/AutoRadioButton.h"
#include "platform/ComPortName.h"
#include "app/gui/ProgramIcon.h"
#include "app/gui/QtAboutWindow.h"
#include "app/gui/StaticText.h"
#include "resources/resource.h"

namespace fwut::qt {

namespace {

constexpr int kFirstPortButton = IDC_COM1;
constexpr int kLastPortButton = IDC_COM22;
constexpr int kIconSize = 32;
// The lines that change while a transfer keeps the thread busy.
constexpr int kStatusLines[] = {IDC_BOOTLOADER_VERSION, IDC_PROGRESS, IDC_STATUS, IDC_STEP};

bool IsPortButton(int id)
{
    return id >= kFirstPortButton && id <= kLastPortButton;
}

QMessageBox::Icon IconOf(UINT type)
{
    switch (type & 0xF0) {
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

}  // namespace

QtDialogWindow::QtDialogWindow(std::function<std::string(int)> portToolTip, Shell& shell)
    : m_portToolTip(std::move(portToolTip)), m_shell(shell), m_controls(*this, kMainDialogTemplate)
{
    // A pop-up with caption, system menu and minimise box, but no size grip
    // and no help button.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    WireControls();
}

QtDialogWindow::~QtDialogWindow()
{
    for (auto& [id, timer] : m_timers) {
        timer->stop();
    }
}

void QtDialogWindow::WireControls()
{
    for (const TemplateControls::Built& built : m_controls.All()) {
        const int id = built.control->id;
        if (auto* radio = dynamic_cast<AutoRadioButton*>(built.widget)) {
            radio->onChosen = [this](AutoRadioButton& chosen) { OnRadioChosen(chosen); };
            radio->onArrow = [this](AutoRadioButton& from, int step) { OnRadioArrow(from, step); };
        } else if (auto* button = qobject_cast<QAbstractButton*>(built.widget)) {
            connect(button, &QAbstractButton::clicked, this, [this, id] { SendCommand(id); });
        }
    }
    UpdateRadioTabStop();
}

void QtDialogWindow::InitDialog()
{
    if (m_sink == nullptr) {
        return;
    }
    const MessageResult result = m_sink->HandleMessage(WM_INITDIALOG, 0, 0);
    if (!result.handled || result.value == 0) {
        return;
    }
    for (const TemplateControls::Built& built : m_controls.All()) {
        QWidget* widget = built.widget;
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabled() && !widget->isHidden()) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void QtDialogWindow::Destroy()
{
    if (m_destroyed || m_sink == nullptr) {
        return;
    }
    m_destroyed = true;
    m_sink->HandleMessage(WM_DESTROY, 0, 0);
    for (auto& [id, timer] : m_timers) {
        timer->stop();
    }
}

int QtDialogWindow::RunModal()
{
    InitDialog();
    const int result = exec();
    Destroy();
    return result;
}

void QtDialogWindow::SendCommand(int id)
{
    if (m_sink != nullptr && !m_destroyed) {
        m_sink->HandleMessage(WM_COMMAND, static_cast<WPARAM>(id), 0);
    }
}

void QtDialogWindow::reject()
{
    const QWidget* done = Control(IDCANCEL);
    if (done != nullptr && done->isEnabled()) {
        SendCommand(IDCANCEL);
    }
}

void QtDialogWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        SendCommand(IDOK);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void QtDialogWindow::paintEvent(QPaintEvent* event)
{
    if (m_sink != nullptr && !m_destroyed) {
        QPainter painter(this);
        m_painter = &painter;
        const MessageResult result = m_sink->HandleMessage(WM_PAINT, 0, 0);
        m_painter = nullptr;
        if (result.handled) {
            return;
        }
    }
    QDialog::paintEvent(event);
}

void QtDialogWindow::SetDlgItemTextA(int id, const std::string& text)
{
    QWidget* control = Control(id);
    const QString value = FromAnsi(text);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(value);
        if (IsPortButton(id)) {
            UpdatePortToolTip(id);
            FitPortButton(id, *button);
        }
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(value);
    }
    RefreshColors();
}

std::string QtDialogWindow::GetDlgItemTextA(int id)
{
    QWidget* control = Control(id);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return ToAnsi(label->text());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        return ToAnsi(button->text());
    }
    if (auto* group = qobject_cast<QGroupBox*>(control)) {
        return ToAnsi(group->title());
    }
    return std::string();
}

void QtDialogWindow::EnableDlgItem(int id, bool enable)
{
    if (QWidget* control = Control(id)) {
        control->setEnabled(enable);
    }
    if (IsPortButton(id)) {
        UpdateRadioTabStop();
    }
    RefreshColors();
}

void QtDialogWindow::ShowDlgItem(int id, bool show)
{
    if (QWidget* control = Control(id)) {
        control->setVisible(show);
    }
    if (IsPortButton(id)) {
        UpdateRadioTabStop();
    }
}

void QtDialogWindow::CheckRadioButton(int firstId, int lastId, int checkId)
{
    for (int id = firstId; id <= lastId; ++id) {
        if (auto* button = qobject_cast<QAbstractButton*>(Control(id))) {
            button->setChecked(id == checkId);
        }
    }
    UpdateRadioTabStop();
}

bool QtDialogWindow::IsDlgButtonChecked(int id)
{
    const auto* button = qobject_cast<QAbstractButton*>(Control(id));
    return button != nullptr && button->isChecked();
}

void QtDialogWindow::SetWindowTextA(const std::string& caption)
{
    setWindowTitle(FromAnsi(caption));
}

void QtDialogWindow::OnRadioChosen(AutoRadioButton& chosen)
{
    int chosenId = 0;
    for (int id = kFirstPortButton; id <= kLastPortButton; ++id) {
        auto* button = qobject_cast<QAbstractButton*>(Control(id));
        if (button == &chosen) {
            chosenId = id;
        } else if (button != nullptr) {
            button->setChecked(false);
        }
    }
    UpdateRadioTabStop();
    SendCommand(chosenId);
}

void QtDialogWindow::OnRadioArrow(AutoRadioButton& from, int step)
{
    int fromId = kFirstPortButton;
    for (int id = kFirstPortButton; id <= kLastPortButton; ++id) {
        if (Control(id) == &from) {
            fromId = id;
        }
    }
    const int count = kLastPortButton - kFirstPortButton + 1;
    for (int offset = 1; offset < count; ++offset) {
        const int id = kFirstPortButton + ((fromId - kFirstPortButton + step * offset) % count + count) % count;
        auto* button = qobject_cast<QAbstractButton*>(Control(id));
        if (button != nullptr && button->isEnabled() && !button->isHidden()) {
            button->setFocus(Qt::OtherFocusReason);
            button->click();
            return;
        }
    }
}

// The group is one tab stop: its checked button, else its first usable one.
void QtDialogWindow::UpdateRadioTabStop()
{
    QWidget* stop = nullptr;
    for (int id = kFirstPortButton; id <= kLastPortButton; ++id) {
        auto* button = qobject_cast<QAbstractButton*>(Control(id));
        if (button == nullptr || !button->isEnabled() || button->isHidden()) {
            continue;
        }
        if (button->isChecked()) {
            stop = button;
            break;
        }
        if (stop == nullptr) {
            stop = button;
        }
    }
    for (int id = kFirstPortButton; id <= kLastPortButton; ++id) {
        if (QWidget* button = Control(id)) {
            button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
        }
    }
}

void QtDialogWindow::FitPortButton(int id, QAbstractButton& button)
{
    for (const TemplateControls::Built& built : m_controls.All()) {
        if (built.control->id == id) {
            const DialogBaseUnits& units = m_controls.Units();
            const int templateWidth = DialogUnitsToPixels(units, 0, 0, built.control->cx, 0).width();
            const int maxWidth = DialogUnitsToPixels(units, 0, 0, kPortButtonMaxWidth, 0).width();
            button.resize(std::clamp(button.sizeHint().width(), templateWidth, maxWidth), button.height());
        }
    }
}

void QtDialogWindow::UpdatePortToolTip(int id)
{
    auto* button = dynamic_cast<AutoRadioButton*>(Control(id));
    const int port = ComPortNumber(button->text().toStdString());
    button->SetToolTipText(FromAnsi(port > 0 && m_portToolTip ? m_portToolTip(port) : std::string()));
}

ControlColors QtDialogWindow::AskColorRule(int id)
{
    ControlColors colors;
    if (m_sink != nullptr && !m_destroyed) {
        m_sink->HandleMessage(WM_CTLCOLORSTATIC, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&colors));
    }
    return colors;
}

void QtDialogWindow::RefreshColors()
{
    for (const TemplateControls::Built& built : m_controls.All()) {
        if (auto* text = dynamic_cast<StaticText*>(built.widget)) {
            text->ApplyColorRule();
        }
    }
}

int QtDialogWindow::MessageBoxA(const std::string& text, const std::string& caption, UINT type)
{
    const std::string note = m_boxNote ? m_boxNote(text) : std::string();
    const std::string shown = note.empty() ? text : text + "\n" + note;
    QMessageBox box(IconOf(type), FromAnsi(caption), FromAnsi(shown), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return IDOK;
}

void QtDialogWindow::WakeForPostedMessage()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_sink != nullptr && !m_destroyed) {
                m_sink->DeliverPostedMessages();
            }
        },
        Qt::QueuedConnection);
}

std::uintptr_t QtDialogWindow::SetTimer(std::uintptr_t id, UINT periodMs)
{
    std::unique_ptr<QTimer>& timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer.get(), &QTimer::timeout, this, [this, id] {
            if (m_sink != nullptr && !m_destroyed) {
                m_sink->HandleMessage(WM_TIMER, static_cast<WPARAM>(id), 0);
            }
        });
    }
    timer->start(static_cast<int>(periodMs));
    return id;
}

void QtDialogWindow::KillTimer(std::uintptr_t id)
{
    // Stopped, not deleted: the call may come from inside the timer's own tick.
    const auto found = m_timers.find(id);
    if (found != m_timers.end()) {
        found->second->stop();
    }
}

void QtDialogWindow::BeginWaitCursor()
{
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void QtDialogWindow::EndWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

void QtDialogWindow::RedrawDialog()
{
    repaint();
}

void QtDialogWindow::DispatchOnePendingMessage()
{
    for (int id : kStatusLines) {
        if (QWidget* line = Control(id)) {
            line->repaint();
        }
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

IconHandle QtDialogWindow::LoadProgramIcon()
{
    m_icon = ProgramIcon();
    return &m_icon;
}

void QtDialogWindow::SetLargeIcon(IconHandle icon)
{
    if (icon != nullptr) {
        setWindowIcon(*static_cast<const QIcon*>(icon));
    }
}

void QtDialogWindow::PlaceWindow()
{
    PlaceLikeWindowsDialogs(*this);
}

void QtDialogWindow::CreateBoldFont()
{
    m_boldFont = TemplateFont("Microsoft Sans Serif", 90, m_controls.DotsPerInch(), true);
    for (const TemplateControls::Built& built : m_controls.All()) {
        if (auto* text = dynamic_cast<StaticText*>(built.widget)) {
            text->SetColorRule([this](int id) { return AskColorRule(id); }, &m_boldFont);
        }
    }
}

bool QtDialogWindow::IsIconic()
{
    return isMinimized();
}

void QtDialogWindow::DrawIconCentred(IconHandle icon)
{
    if (m_painter == nullptr || icon == nullptr) {
        return;
    }
    m_painter->fillRect(rect(), palette().window());
    const QPixmap picture = static_cast<const QIcon*>(icon)->pixmap(kIconSize, kIconSize);
    m_painter->drawPixmap((width() - kIconSize + 1) / 2, (height() - kIconSize + 1) / 2, picture);
}

void QtDialogWindow::ShowAboutDialog()
{
    QtAboutWindow about(m_shell, this);
    about.RunModal();
}

void QtDialogWindow::EndDialog(int result)
{
    done(result);
}

}  // namespace fwut::qt
