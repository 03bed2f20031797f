#include "app/gui/StaticText.h"

namespace fwut::qt {

namespace {

bool SameColors(const ControlColors& a, const ControlColors& b)
{
    return a.apply == b.apply && a.boldFont == b.boldFont && a.textColor == b.textColor &&
           a.transparent == b.transparent;
}

QColor FromColorref(COLORREF colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

}  // namespace

StaticText::StaticText(int id, const QFont& defaultFont, QWidget* parent)
    : QLabel(parent), m_id(id), m_defaultFont(defaultFont), m_defaultPalette(palette())
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setFont(m_defaultFont);
}

void StaticText::SetColorRule(ColorRule rule, const QFont* boldFont)
{
    m_rule = std::move(rule);
    m_boldFont = boldFont;
}

void StaticText::ApplyColorRule()
{
    if (!m_rule) {
        return;
    }
    const ControlColors colors = m_rule(m_id);
    if (SameColors(colors, m_applied)) {
        return;
    }
    m_applied = colors;
    // A label never fills its background, so the transparent background
    // mode is what it has anyway.
    const bool bold = colors.apply && colors.boldFont && m_boldFont != nullptr;
    setFont(bold ? *m_boldFont : m_defaultFont);
    QPalette colours = m_defaultPalette;
    if (colors.apply) {
        colours.setColor(QPalette::WindowText, FromColorref(colors.textColor));
    }
    setPalette(colours);
}

void StaticText::paintEvent(QPaintEvent* event)
{
    ApplyColorRule();
    QLabel::paintEvent(event);
}

}  // namespace fwut::qt
