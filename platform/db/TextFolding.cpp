#include "platform/db/TextFolding.h"

namespace platform::sql {

QString foldCaseAndAccents(const QString &text)
{
    bool plainAscii = true;
    for (const QChar c : text)
        if (c.unicode() >= 0x80) {
            plainAscii = false;
            break;
        }
    if (plainAscii)
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
    const QString a = foldCaseAndAccents(withoutTrailingBlanks(left).toString());
    const QString b = foldCaseAndAccents(withoutTrailingBlanks(right).toString());
    return QStringView(a).compare(QStringView(b));
}

} // namespace platform::sql
