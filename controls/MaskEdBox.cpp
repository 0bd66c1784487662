#include "controls/MaskEdBox.h"

#include "platform/runtime/RuntimeError.h"

#include <QKeyEvent>

namespace controls {

namespace {
const QChar DigitPlace = QLatin1Char('#');

platform::RuntimeError invalidPropertyValue()
{
    return platform::RuntimeError(platform::ErrorNumber::InvalidPropertyValue,
                                  QStringLiteral("Invalid property value"));
}
} // namespace

MaskEdBox::MaskEdBox(QWidget *parent) : QLineEdit(parent)
{
}

void MaskEdBox::setMask(const QString &mask)
{
    m_mask = mask;
    setText(emptyMask());
}

void MaskEdBox::setPromptChar(const QString &promptChar)
{
    if (promptChar.size() != 1)
        throw invalidPropertyValue();
    QString shown = text();
    for (qsizetype at = 0; at < m_mask.size() && at < shown.size(); ++at)
        if (m_mask.at(at) == DigitPlace && shown.at(at) == m_promptChar.at(0))
            shown[at] = promptChar.at(0);
    m_promptChar = promptChar;
    setText(shown);
}

QString MaskEdBox::emptyMask() const
{
    QString shown = m_mask;
    return shown.replace(DigitPlace, m_promptChar.at(0));
}

bool MaskEdBox::fitsMask(const QString &candidate) const
{
    if (m_mask.isEmpty())
        return true;
    if (candidate.size() != m_mask.size())
        return false;
    for (qsizetype at = 0; at < m_mask.size(); ++at) {
        const QChar c = candidate.at(at);
        if (m_mask.at(at) == DigitPlace ? !(c.isDigit() || c == m_promptChar.at(0)) : c != m_mask.at(at))
            return false;
    }
    return true;
}

void MaskEdBox::setMaskedText(const QString &newText)
{
    if (!m_mask.isEmpty() && newText.isEmpty()) {
        setText(emptyMask());
        return;
    }
    if (!fitsMask(newText))
        throw invalidPropertyValue();
    setText(newText);
}

qsizetype MaskEdBox::nextDigitPlace(qsizetype from) const
{
    const qsizetype place = m_mask.indexOf(DigitPlace, from);
    return place;
}

qsizetype MaskEdBox::previousDigitPlace(qsizetype before) const
{
    return before <= 0 ? -1 : m_mask.lastIndexOf(DigitPlace, before - 1);
}

void MaskEdBox::writeAt(qsizetype place, QChar c, qsizetype cursorAfter)
{
    QString shown = text();
    shown[place] = c;
    setText(shown);
    setCursorPosition(static_cast<int>(cursorAfter));
}

// Typing overwrites digit places only, so the text always fits the mask.
void MaskEdBox::keyPressEvent(QKeyEvent *event)
{
    if (m_mask.isEmpty() || text().size() != m_mask.size()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const qsizetype cursor = hasSelectedText() ? selectionStart() : cursorPosition();
    const QString typed = event->text();
    if (typed.size() == 1 && typed.at(0).isDigit()) {
        const qsizetype place = nextDigitPlace(cursor);
        if (place >= 0)
            writeAt(place, typed.at(0), place + 1);
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (const qsizetype place = previousDigitPlace(cursor); place >= 0)
            writeAt(place, m_promptChar.at(0), place);
        event->accept();
        return;
    case Qt::Key_Delete:
        if (const qsizetype place = nextDigitPlace(cursor); place >= 0)
            writeAt(place, m_promptChar.at(0), place);
        event->accept();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        QLineEdit::keyPressEvent(event);
        return;
    default:
        if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll))
            QLineEdit::keyPressEvent(event);
        else
            event->accept();
    }
}

} // namespace controls
