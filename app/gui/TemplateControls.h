// A dialog's controls built from its template (ui/DialogTemplates.h): each
// control at its rectangle converted from dialog units, with its kind, text
// and alignment; the dialog sized from its template; the tab order the
// template's order. Statics are StaticText, radio buttons AutoRadioButton
// (grouped, for a screen reader, with the group box that frames them), link
// fields LinkField; no push button is a default one unless its template says so.
#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "app/gui/DialogFonts.h"
#include "ui/DialogTemplates.h"

namespace fwut::qt {

// Centred across its screen's free area and a quarter of the free height
// from the top, as both dialogs have always placed themselves.
void PlaceLikeWindowsDialogs(QWidget& dialog);

// Texts cross between the dialogs' 8-bit strings and Qt in the locale's encoding.
QString FromAnsi(const std::string& text);
std::string ToAnsi(const QString& text);

class TemplateControls {
public:
    struct Built {
        const ControlTemplate* control;
        QWidget* widget;
    };

    // The controls become children of dialog, which gets the template's font
    // and a fixed size.
    TemplateControls(QWidget& dialog, const DialogTemplate& dialogTemplate);

    // nullptr for an ID the template does not have.
    QWidget* Find(int id) const;
    // In template order.
    const std::vector<Built>& All() const { return m_built; }

    const DialogBaseUnits& Units() const { return m_units; }
    int DotsPerInch() const { return m_dotsPerInch; }

private:
    QWidget* Create(const ControlTemplate& control, QWidget& dialog) const;
    void ChainTabOrder() const;
    // A radio button's group, for a screen reader, is the group box that frames it.
    void GroupRadioButtons() const;

    int m_dotsPerInch;
    QFont m_font;
    DialogBaseUnits m_units;
    std::vector<Built> m_built;
};

}  // namespace fwut::qt
