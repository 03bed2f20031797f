#include "app/gui/TemplateControls.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QGroupBox>
#include <QPushButton>

#include "ui/DialogPlacement.h"
#include "app/gui/Accessibility.h"
#include "app/gui/AutoRadioButton.h"
#include "app/gui/LinkField.h"
#include "app/gui/StaticText.h"

namespace fwut::qt {

void PlaceLikeWindowsDialogs(QWidget& dialog)
{
    const QScreen* screen = dialog.screen() != nullptr ? dialog.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect free = screen->availableGeometry();
    const QSize size = dialog.frameGeometry().size();
    const Point position = DialogPosition(free.width(), free.height(), size.width(), size.height());
    dialog.move(free.x() + position.x, free.y() + position.y);
}

QString FromAnsi(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToAnsi(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

namespace {

Qt::Alignment AlignmentOf(const ControlTemplate& control)
{
    return (control.align == TextAlign::Center ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop;
}

Qt::FocusPolicy FocusPolicyOf(const ControlTemplate& control)
{
    switch (control.kind) {
    case ControlKind::Static:
    case ControlKind::Icon:
    case ControlKind::GroupBox:
        return Qt::NoFocus;
    case ControlKind::LinkField:
        return Qt::ClickFocus;
    case ControlKind::RadioButton:
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
        return control.tabStop ? Qt::StrongFocus : Qt::ClickFocus;
    }
    return Qt::NoFocus;
}

}  // namespace

TemplateControls::TemplateControls(QWidget& dialog, const DialogTemplate& dialogTemplate)
    : m_dotsPerInch(ScreenDotsPerInch()),
      m_font(TemplateFont(dialogTemplate.fontFace, dialogTemplate.fontPoints * 10, m_dotsPerInch)),
      m_units(BaseUnitsOf(m_font))
{
    // Before any control exists: Qt keeps the first interface it makes for an object.
    InstallAccessibility();
    dialog.setFont(m_font);
    dialog.setFixedSize(DialogUnitsToPixels(m_units, 0, 0, dialogTemplate.cx, dialogTemplate.cy).size());
    for (std::size_t i = 0; i < dialogTemplate.controlCount; ++i) {
        const ControlTemplate& control = dialogTemplate.controls[i];
        QWidget* widget = Create(control, dialog);
        widget->setGeometry(DialogUnitsToPixels(m_units, control.x, control.y, control.cx, control.cy));
        widget->setFocusPolicy(FocusPolicyOf(control));
        m_built.push_back(Built{&control, widget});
    }
    ChainTabOrder();
    GroupRadioButtons();
}

QWidget* TemplateControls::Create(const ControlTemplate& control, QWidget& dialog) const
{
    const QString text = FromAnsi(control.text);
    switch (control.kind) {
    case ControlKind::Static: {
        auto* label = new StaticText(control.id, m_font, &dialog);
        label->setAlignment(AlignmentOf(control));
        label->setText(text);
        return label;
    }
    case ControlKind::Icon:
        return new QLabel(&dialog);
    case ControlKind::GroupBox: {
        // As on Windows: the frame's top line runs through the middle of the
        // title, and the frame fills the control's rectangle.
        auto* group = new QGroupBox(text, &dialog);
        const int halfLine = QFontMetrics(m_font).height() / 2;
        group->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
                                            " margin-top: %1px; }"
                                            "QGroupBox::title { subcontrol-origin: margin; left: 6px;"
                                            " padding: 0px 2px; }")
                                 .arg(halfLine));
        return group;
    }
    case ControlKind::RadioButton: {
        auto* radio = new AutoRadioButton(&dialog);
        radio->setText(text);
        return radio;
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
        auto* button = new QPushButton(text, &dialog);
        button->setAutoDefault(false);
        button->setDefault(control.kind == ControlKind::DefaultPushButton);
        return button;
    }
    case ControlKind::LinkField:
        return new LinkField(&dialog);
    }
    return new QWidget(&dialog);
}

void TemplateControls::GroupRadioButtons() const
{
    for (const Built& radio : m_built) {
        if (auto* button = dynamic_cast<AutoRadioButton*>(radio.widget)) {
            for (const Built& frame : m_built) {
                if (frame.control->kind == ControlKind::GroupBox &&
                    frame.widget->geometry().contains(button->geometry())) {
                    button->group = frame.widget;
                }
            }
        }
    }
}

void TemplateControls::ChainTabOrder() const
{
    QWidget* previous = nullptr;
    for (const Built& built : m_built) {
        if (built.widget->focusPolicy() == Qt::NoFocus) {
            continue;
        }
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, built.widget);
        }
        previous = built.widget;
    }
}

QWidget* TemplateControls::Find(int id) const
{
    if (id == kStaticUnlabelled) {
        return nullptr;
    }
    for (const Built& built : m_built) {
        if (built.control->id == id) {
            return built.widget;
        }
    }
    return nullptr;
}

}  // namespace fwut::qt
