#include "app/ResultsModel.h"

#include "platform/runtime/Conversions.h"
#include "platform/runtime/RuntimeError.h"
#include "sqltext/modData.h"

#include <QSet>

#include <algorithm>
#include <functional>

using Row = frmMainResults::Row;

namespace {
}

ResultsModel::ResultsModel(QObject *parent)
    : QAbstractTableModel(parent), m_icon(QStringLiteral(":/velunas/member.png"))
{
}

void ResultsModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_table = platform::ResultTable();
    endResetModel();
}

void ResultsModel::checkKeys(const std::vector<QString> &added) const
{
    QSet<QString> keys;
    keys.reserve(rowCount() + static_cast<qsizetype>(added.size()));
    for (int i = 0; i < rowCount(); ++i)
        keys.insert(rowAt(i).key);
    for (const QString &key : added) {
        if (keys.contains(key))
            throw platform::RuntimeError(platform::ErrorNumber::KeyNotUnique,
                                         QStringLiteral("Key is not unique in collection"));
        keys.insert(key);
    }
}

// Rows added after a result set's join it as rows of their own.
void ResultsModel::keepTableAsRows()
{
    for (int i = static_cast<int>(m_rows.size()); i < rowCount(); ++i)
        m_rows.push_back(rowAt(i));
    m_table = platform::ResultTable();
}

void ResultsModel::append(const std::vector<Row> &rows)
{
    std::vector<QString> keys;
    keys.reserve(rows.size());
    for (const Row &row : rows)
        keys.push_back(row.key);
    checkKeys(keys);
    if (rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    keepTableAsRows();
    m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    endInsertRows();
}

void ResultsModel::appendTable(const platform::ResultTable &table)
{
    const auto field = [&table](const char *name) {
        for (int i = 0; i < table.columns.size(); ++i)
            if (table.columns.at(i).compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    };
    const int key = field("contacto_id");
    // Whole-number keys, the usual kind, are checked without making their texts.
    std::vector<qint64> numbers;
    bool allNumbers = rowCount() == 0 && key >= 0;
    numbers.reserve(allNumbers ? static_cast<size_t>(table.rows.size()) : 0);
    for (qsizetype i = 0; allNumbers && i < table.rows.size(); ++i) {
        qint64 number = 0;
        allNumbers = table.rows.integerAt(i, key, &number);
        numbers.push_back(number);
    }
    if (allNumbers) {
        // Rows usually come in key order: then no key can repeat, and no sort is needed.
        if (!std::is_sorted(numbers.begin(), numbers.end(), std::less_equal<>()))
            std::sort(numbers.begin(), numbers.end());
        if (std::adjacent_find(numbers.begin(), numbers.end()) != numbers.end())
            throw platform::RuntimeError(platform::ErrorNumber::KeyNotUnique,
                                         QStringLiteral("Key is not unique in collection"));
    } else {
        std::vector<QString> keys;
        for (qsizetype i = 0; i < table.rows.size(); ++i)
            keys.push_back(QLatin1Char('#') + (key >= 0 ? platform::CStr(table.rows.value(i, key)) : QString()));
        checkKeys(keys);
    }
    beginResetModel();
    keepTableAsRows();
    m_table = table;
    m_key = key;
    const char *names[ColumnCount] = {"no_empresa", "nome_union", "empresa", "email"};
    for (int c = 0; c < ColumnCount; ++c)
        m_fields[c] = field(names[c]);
    endResetModel();
}

QString ResultsModel::keyOf(int row) const
{
    const qsizetype tableRow = row - static_cast<qsizetype>(m_rows.size());
    return QLatin1Char('#') + (m_key >= 0 ? platform::CStr(m_table.rows.value(tableRow, m_key)) : QString());
}

QString ResultsModel::textOf(int row, int column) const
{
    const qsizetype tableRow = row - static_cast<qsizetype>(m_rows.size());
    if (m_fields[column] < 0)
        return QStringLiteral(" ");
    try {
        return modData::ListText(m_table.rows.value(tableRow, m_fields[column]),
                                 modData::DisplayKind::Text); // the list shows every field as plain text
    } catch (const platform::RuntimeError &) {
        return QString(); // as ListField gives for a value it cannot show
    }
}

Row ResultsModel::rowAt(int row) const
{
    if (row < static_cast<int>(m_rows.size()))
        return m_rows[static_cast<size_t>(row)];
    return Row{keyOf(row), textOf(row, NumberColumn), textOf(row, NameColumn), textOf(row, CompanyColumn),
               textOf(row, EmailColumn)};
}

int ResultsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size() + static_cast<size_t>(m_table.rows.size()));
}

int ResultsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResultsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DecorationRole && index.column() == NumberColumn)
        return m_icon;
    if (role != Qt::DisplayRole)
        return QVariant();
    const int row = index.row();
    if (row < static_cast<int>(m_rows.size())) {
        const Row &kept = m_rows[static_cast<size_t>(row)];
        const QString *texts[ColumnCount] = {&kept.text, &kept.subItem1, &kept.subItem2, &kept.subItem3};
        return *texts[index.column()];
    }
    return textOf(row, index.column());
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    if (section == NumberColumn)
        return QStringLiteral("Nº Empresa");
    if (section == NameColumn)
        return QStringLiteral("Nome");
    return QString();
}
