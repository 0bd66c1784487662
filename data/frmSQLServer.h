#pragma once

#include <QIcon>
#include <QList>
#include <QWidget>

class QLabel;
class QPushButton;

// Tells the operator that the database server cannot be reached while a
// further attempt runs. A close request only hides the window while it is
// visible; once hidden, the next one closes it.
class frmSQLServer : public QWidget
{
    Q_OBJECT

public:
    explicit frmSQLServer(QWidget *parent = nullptr);

    bool TryAgain = false;
    // Set by "&Sair": the operator gives up the attempts.
    bool Desistiu = false;

    QPushButton *Command1 = nullptr; // "&Ligar ao servidor SQL"
    QPushButton *Command2 = nullptr; // "&Sair"

    void Command1_Click();
    void Command2_Click();

    // Shows the window and paints it once the desktop has exposed it: the
    // attempt that follows holds the thread, and a window not yet drawn
    // would leave the operator an empty frame for all of it.
    void showPainted();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();

    QList<QIcon> ImageList1;
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QList<QLabel *> Label2;
};
