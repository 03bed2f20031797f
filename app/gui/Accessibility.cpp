#include "app/gui/Accessibility.h"

#include <QAccessibleWidget>
#include <QDialog>
#include <QGroupBox>
#include <QPoint>
#include <QRect>

#include "app/gui/AutoRadioButton.h"
#include "app/gui/StaticText.h"

namespace fwut::qt {

namespace {

// A radio button that belongs to a group box is that group's child, not its
// dialog's: the dialog leaves it out of its own children.
bool IsGroupedElsewhere(const QObject* child, const QWidget* parent)
{
    const auto* radio = dynamic_cast<const AutoRadioButton*>(child);
    return radio != nullptr && radio->group != nullptr && radio->group != parent;
}

class AccessibleTemplateWidget : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;

    QString text(QAccessible::Text kind) const override
    {
        const auto* group = qobject_cast<const QGroupBox*>(widget());
        return group != nullptr && kind == QAccessible::Name ? group->title() : QAccessibleWidget::text(kind);
    }
    int childCount() const override { return static_cast<int>(Children().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> children = Children();
        return index >= 0 && index < children.size() ? QAccessible::queryAccessibleInterface(children[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child == nullptr ? -1 : static_cast<int>(Children().indexOf(child->object()));
    }

private:
    // The widget's own children in creation order (the template's), as Qt
    // lists them, and the radio buttons it frames.
    QList<QWidget*> Children() const
    {
        QList<QWidget*> children;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child != nullptr && !child->isWindow() && !IsGroupedElsewhere(child, widget())) {
                children.push_back(child);
            }
        }
        if (QWidget* dialog = widget()->parentWidget(); dialog != nullptr && !widget()->isWindow()) {
            for (QObject* object : dialog->children()) {
                const auto* radio = dynamic_cast<AutoRadioButton*>(object);
                if (radio != nullptr && radio->group == widget()) {
                    children.push_back(static_cast<QWidget*>(object));
                }
            }
        }
        return children;
    }
};

class AccessiblePortButton final : public QAccessibleWidget {
public:
    explicit AccessiblePortButton(AutoRadioButton* button) : QAccessibleWidget(button, QAccessible::RadioButton) { }

    QAccessibleInterface* parent() const override
    {
        QWidget* group = Button().group;
        return group != nullptr ? QAccessible::queryAccessibleInterface(group) : QAccessibleWidget::parent();
    }
    QString text(QAccessible::Text kind) const override
    {
        // A hidden slot still holds the template's caption; it stands for no port.
        if (Button().isHidden()) {
            return QString();
        }
        switch (kind) {
        case QAccessible::Name:
            return Button().text();
        case QAccessible::Description:
            return Button().ToolTipText();
        default:
            return QAccessibleWidget::text(kind);
        }
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = Button().isChecked();
        return state;
    }
    // Press, as for any button, and Toggle, Qt's name for a radio button's action: both check it.
    QStringList actionNames() const override
    {
        if (!Button().isEnabled() || Button().isHidden()) {
            return QAccessibleWidget::actionNames();
        }
        return QStringList{pressAction(), toggleAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override
    {
        if ((action == pressAction() || action == toggleAction()) && Button().isEnabled() && !Button().isHidden()) {
            Button().click();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

private:
    AutoRadioButton& Button() const { return *static_cast<AutoRadioButton*>(widget()); }
};

class AccessibleStaticText final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessibleStaticText(StaticText* label) : QAccessibleWidget(label, QAccessible::StaticText) { }

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name ? Label().text() : QAccessibleWidget::text(kind);
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(int startOffset, int endOffset) const override
    {
        return Label().text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(Label().text().size()); }
    // The text cannot be selected, has no caret, and its place on the screen
    // is the control's (Component interface).
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return QString();
    }

private:
    StaticText& Label() const { return *static_cast<StaticText*>(widget()); }
};

QAccessibleInterface* TemplateInterface(const QString&, QObject* object)
{
    if (auto* radio = dynamic_cast<AutoRadioButton*>(object)) {
        return new AccessiblePortButton(radio);
    }
    if (auto* label = dynamic_cast<StaticText*>(object)) {
        return new AccessibleStaticText(label);
    }
    if (auto* group = qobject_cast<QGroupBox*>(object); group != nullptr && !group->isCheckable()) {
        return new AccessibleTemplateWidget(group, QAccessible::Grouping);
    }
    // The template dialogs, which have no meta-object of their own; Qt's
    // message boxes keep theirs.
    if (object->metaObject() == &QDialog::staticMetaObject) {
        return new AccessibleTemplateWidget(static_cast<QWidget*>(object), QAccessible::Dialog);
    }
    return nullptr;
}

}  // namespace

void InstallAccessibility()
{
    static const bool installed = (QAccessible::installFactory(TemplateInterface), true);
    static_cast<void>(installed);
}

}  // namespace fwut::qt
