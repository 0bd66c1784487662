#pragma once

#include <QDialog>
#include <QString>

#include <optional>
#include <vector>

class QFrame;
class QPushButton;
class QTreeView;
class ResultsModel;

namespace platform {
struct ResultTable;
}

// The choice among several members that a name matched.
class frmMainResults : public QDialog
{
    Q_OBJECT

public:
    // One row as the member search adds it: key "#" + contacto_id, the
    // company number, then name, company and e-mail.
    struct Row
    {
        QString key;
        QString text;
        QString subItem1;
        QString subItem2;
        QString subItem3;
    };

    explicit frmMainResults(QWidget *owner = nullptr);

    // False when the window is made; true once the operator cancelled.
    bool Cancelar = false;

    void clearItems();
    // Adds the rows in one pass; run-time error 35602 when a key repeats.
    void addItems(const std::vector<Row> &rows);
    // Adds a name search's rows as they are (key "#" + contacto_id, then
    // no_empresa, nome_union, empresa and email as list texts), each row's
    // texts made only when shown or taken. Run-time error 35602 as above.
    void addRows(const platform::ResultTable &table);
    int itemCount() const;
    std::optional<Row> selectedRow() const;

    // Asked to unload while visible, the window only hides; hidden, it goes.
    // True when the unload went through.
    bool Form_Unload();

    void Command1_Click();
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QTreeView *ListView1 = nullptr;
    ResultsModel *m_rows = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QFrame *Frame1 = nullptr;
    QFrame *Frame2 = nullptr;
};
