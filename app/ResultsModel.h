#pragma once

#include "app/frmMainResults.h"
#include "platform/db/access/Recordset.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <vector>

// The picker's rows as its list reads them: rows handed over one by one, then
// the rows of a result set kept as they came, their texts made only for the
// rows the list shows or the caller takes.
class ResultsModel : public QAbstractTableModel
{
public:
    enum Column { NumberColumn, NameColumn, CompanyColumn, EmailColumn, ColumnCount };

    explicit ResultsModel(QObject *parent = nullptr);

    void clear();
    // Both raise run-time error 35602, adding nothing, when a key repeats.
    void append(const std::vector<frmMainResults::Row> &rows);
    void appendTable(const platform::ResultTable &table);

    frmMainResults::Row rowAt(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString keyOf(int row) const;
    QString textOf(int row, int column) const;
    void keepTableAsRows();
    void checkKeys(const std::vector<QString> &added) const;

    std::vector<frmMainResults::Row> m_rows;
    platform::ResultTable m_table;
    int m_key = -1;                 // contacto_id in m_table
    int m_fields[ColumnCount] = {}; // no_empresa, nome_union, empresa, email; -1 when missing
    QIcon m_icon;
};
