#pragma once

#include <QLineEdit>

namespace controls {

// A text box whose text follows a mask: "#" is a digit place, shown as the
// prompt character while empty; every other mask character is fixed.
class MaskEdBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit MaskEdBox(QWidget *parent = nullptr);

    QString Mask() const { return m_mask; }
    // Shows the empty mask.
    void setMask(const QString &mask);
    QString PromptChar() const { return m_promptChar; }
    // Raises 380 unless the prompt is one character.
    void setPromptChar(const QString &promptChar);
    // The pattern a date is shown with.
    QString Format() const { return m_format; }
    void setFormat(const QString &format) { m_format = format; }

    QString Text() const { return text(); }
    // Raises 380 "Invalid property value" for a text that does not fit the
    // mask; "" shows the empty mask.
    void setMaskedText(const QString &text);

    // The mask with every digit place showing the prompt.
    QString emptyMask() const;
    bool fitsMask(const QString &text) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    qsizetype nextDigitPlace(qsizetype from) const;
    qsizetype previousDigitPlace(qsizetype before) const;
    void writeAt(qsizetype place, QChar c, qsizetype cursorAfter);

    QString m_mask;
    QString m_promptChar = QStringLiteral("_");
    QString m_format;
};

} // namespace controls
