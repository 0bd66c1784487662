#include "controls/ControlAccess.h"
#include "controls/FormatTexts.h"
#include "controls/modControls.h"
#include "platform/runtime/Conversions.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/RuntimeError.h"
#include "platform/runtime/TrimSpaces.h"
#include "platform/ui/MessageBox.h"

#include <QComboBox>

namespace modControls {

namespace {
using namespace controls;
using enum FormatCode;

void clear(QWidget *control)
{
    setTag(control, QString());
    setText(control, QString());
}

void showForEditing(QWidget *control, const QString &text)
{
    setText(control, text);
    selectAll(control);
}

// The typed number with the locale's decimal mark; with both marks typed,
// the grouping goes first so that the Tag still reads as the same number.
QString normalisedNumber(QString text)
{
    if (text.contains(QLatin1Char(',')) && text.contains(QLatin1Char('.'))) {
        const QString thousand = platform::LocaleThousandSeparator();
        if (!thousand.isEmpty())
            text.remove(thousand);
    }
    if (DecimalChar() == QLatin1String(","))
        return ReplaceChar(text, QStringLiteral("."), QStringLiteral(","));
    return ReplaceChar(text, QStringLiteral(","), QStringLiteral("."));
}

// A text that is not a number is replaced by "0" before it is stored.
QString typedNumber(QWidget *control)
{
    const QString text = Text(control);
    if (platform::IsNumeric(text))
        return text;
    setText(control, QStringLiteral("0"));
    return QStringLiteral("0");
}

void storeTypedValue(QWidget *control, FormatCode code)
{
    switch (code) {
    case Amount2:
    case Euro2:
    case Euro3:
    case Amount3:
    case Euro4:
        if (!Text(control).isEmpty()) {
            const QString tag = normalisedNumber(typedNumber(control));
            setTag(control, tag);
            setText(control, platform::Format(tag, formattexts::lostFocusFormat(code)));
        }
        break;
    case Percent:
        if (!Text(control).isEmpty()) {
            const float fraction = platform::CSng(typedNumber(control)) / 100.0f;
            const QString tag = platform::CStr(fraction);
            setTag(control, tag);
            setText(control, platform::Format(tag, formattexts::lostFocusFormat(code)));
        }
        break;
    case Integer:
        if (!Text(control).isEmpty()) {
            const QString tag = platform::CStr(platform::CLng(normalisedNumber(typedNumber(control))));
            setTag(control, tag);
            setText(control, tag);
        }
        break;
    case PlainText:
        if (kindOf(control) == ControlKind::ComboBox) {
            if (Style(qobject_cast<QComboBox *>(control)) == ComboStyle::DropDownList)
                break;
            const QString text = Text(control);
            if (platform::trimSpaces(text).isEmpty()) {
                setListIndex(control, -1);
            } else {
                for (int index = 0; index < ListCount(control); ++index) {
                    if (List(control, index) == text) {
                        setListIndex(control, index);
                        break;
                    }
                }
            }
        } else if (kindOf(control) != ControlKind::ListBox) {
            setTag(control, QString());
        }
        break;
    default:
        break;
    }
}
} // namespace

void ApplyFormat(QWidget *control, FormatCode code)
{
    const QString tag = Tag(control);
    if (tag.isEmpty())
        return;
    if (code == Integer)
        setText(control, tag);
    else if (const QString format = formattexts::applyFormat(code); !format.isEmpty())
        setText(control, platform::Format(tag, format));
}

void SelectOnFocus(QWidget *control, FormatCode code)
{
    const QString tag = Tag(control);
    switch (code) {
    case Date:
        if (kindOf(control) == ControlKind::TextBox || kindOf(control) == ControlKind::MaskedEditBox)
            selectAll(control);
        break;
    case Amount2:
    case Euro2:
        tag.isEmpty() ? clear(control) : showForEditing(control, tag);
        break;
    case PlainText:
        selectAll(control);
        break;
    case Percent:
        tag.isEmpty() ? clear(control) : showForEditing(control, platform::CStr(platform::CSng(tag) * 100.0f));
        break;
    case Integer:
        if (tag.isEmpty()) {
            clear(control);
        } else {
            setTag(control, platform::CStr(platform::CLng(tag)));
            showForEditing(control, Tag(control));
        }
        break;
    case Euro3:
    case Amount3:
        tag.isEmpty() ? clear(control)
                      : showForEditing(control, platform::CStr(platform::Round(platform::CDbl(tag), 3)));
        break;
    case Euro4:
        tag.isEmpty() ? clear(control)
                      : showForEditing(control, platform::CStr(platform::Round(platform::CDbl(tag), 4)));
        break;
    default:
        break;
    }
}

void FormatOnLostFocus(QWidget *control, FormatCode code)
{
    try {
        storeTypedValue(control, code);
    } catch (...) {
        platform::MsgBox(platform::currentRuntimeError().description());
    }
}

QString DecimalChar()
{
    try {
        return platform::LocaleDecimalSeparator().trimmed().left(1);
    } catch (...) {
        return QString();
    }
}

QString ReplaceChar(const QVariant &value, const QString &find, const QString &replacement)
{
    if (find.size() != 1 || replacement.size() != 1)
        return QString();
    return platform::CStr(value).replace(find.at(0), replacement.at(0));
}

} // namespace modControls
