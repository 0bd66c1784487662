#pragma once

// Controls as a window of the desk holds them, and what the tests read back.

#include "controls/MaskEdBox.h"
#include "controls/SimpleComboBox.h"
#include "platform/runtime/RuntimeError.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <memory>

namespace controlfixtures {
inline const QStringList Towns = {QStringLiteral("Lisboa"), QStringLiteral("Porto"), QStringLiteral("Faro")};
inline const QList<int> TownCodes = {10, 20, 30};

inline QDateTime at(int year, int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
}

// A control of the named kind, as a window holds it: with an empty Tag and,
// for lists, the three towns with their codes as ItemData.
inline std::unique_ptr<QWidget> makeControl(const QString &kind)
{
    std::unique_ptr<QWidget> control;
    if (kind == QLatin1String("text box")) {
        control = std::make_unique<QLineEdit>();
    } else if (kind == QLatin1String("masked")) {
        control = std::make_unique<controls::MaskEdBox>();
    } else if (kind.startsWith(QLatin1String("combo"))) {
        std::unique_ptr<QComboBox> combo;
        if (kind == QLatin1String("combo 1"))
            combo = std::make_unique<controls::SimpleComboBox>();
        else
            combo = std::make_unique<QComboBox>();
        combo->setEditable(kind != QLatin1String("combo 2"));
        for (int index = 0; index < Towns.size(); ++index)
            combo->addItem(Towns[index], TownCodes[index]);
        control = std::move(combo);
    } else if (kind == QLatin1String("list")) {
        auto list = std::make_unique<QListWidget>();
        for (int index = 0; index < Towns.size(); ++index) {
            auto *item = new QListWidgetItem(Towns[index], list.get());
            item->setData(Qt::UserRole, TownCodes[index]);
        }
        control = std::move(list);
    } else if (kind == QLatin1String("date")) {
        control = std::make_unique<QDateEdit>();
    } else if (kind == QLatin1String("datetime")) {
        control = std::make_unique<QDateTimeEdit>();
    } else if (kind == QLatin1String("check")) {
        control = std::make_unique<QCheckBox>();
    } else if (kind == QLatin1String("option")) {
        control = std::make_unique<QRadioButton>();
    } else if (kind == QLatin1String("label")) {
        control = std::make_unique<QLabel>();
    } else {
        control = std::make_unique<QPushButton>();
    }
    control->setProperty("Tag", QString());
    return control;
}

inline QString shownText(const QWidget *control)
{
    if (const auto *box = qobject_cast<const QLineEdit *>(control))
        return box->text();
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (const auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->currentText();
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    return QString();
}

inline void setShownText(QWidget *control, const QString &text)
{
    if (auto *box = qobject_cast<QLineEdit *>(control))
        box->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
    else if (auto *combo = qobject_cast<QComboBox *>(control))
        combo->setEditText(text);
}

inline QString tagOf(const QWidget *control)
{
    return control->property("Tag").toString();
}

inline QString selectedText(const QWidget *control)
{
    if (const auto *box = qobject_cast<const QLineEdit *>(control))
        return box->selectedText();
    if (const auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->lineEdit() ? combo->lineEdit()->selectedText() : QString();
    return QString();
}

inline int errorOf(const std::function<void()> &call)
{
    try {
        call();
        return 0;
    } catch (const platform::RuntimeError &error) {
        return error.number();
    }
}
} // namespace controlfixtures
