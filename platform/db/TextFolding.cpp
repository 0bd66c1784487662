#include "platform/db/TextFolding.h"

namespace platform::sql {

namespace {
bool isPlainAscii(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}
} // namespace

QString foldCaseAndAccents(const QString &text)
{
    if (isPlainAscii(text))
        return text.toCaseFolded();

    // Decomposition parts a letter from its accents, which are then dropped.
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString bare;
    bare.reserve(decomposed.size());
    for (const QChar c : decomposed)
        if (!c.isMark())
            bare.append(c);
    return bare.toCaseFolded().normalized(QString::NormalizationForm_C);
}

namespace {
QStringView withoutTrailingBlanks(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return QStringView(text).left(end);
}
} // namespace

int compareIgnoringCaseAndAccents(const QString &left, const QString &right)
{
    const QStringView leftBare = withoutTrailingBlanks(left);
    const QStringView rightBare = withoutTrailingBlanks(right);
    // Plain ASCII needs no decomposition: compared as folded, stopping at the
    // first difference, so a pasted page costs little against an index.
    if (isPlainAscii(leftBare) && isPlainAscii(rightBare))
        return leftBare.compare(rightBare, Qt::CaseInsensitive);
    const QString a = foldCaseAndAccents(leftBare.toString());
    const QString b = foldCaseAndAccents(rightBare.toString());
    return QStringView(a).compare(QStringView(b));
}

} // namespace platform::sql
