#pragma once

#include "platform/db/access/Connection.h"

#include <QWidget>

#include <memory>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class frmMainResults;
namespace platform {
class Recordset;
}

// The desk's only working window: the entry box, the member shown and the
// delivery of its invitation.
class frmMain : public QWidget
{
    Q_OBJECT

public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // Event handlers, public so that the entry box and the tests can run them.
    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void FXNo_TAP_Change();
    void FXNo_TAP_GotFocus();
    void FXNo_TAP_LostFocus();
    // Key code 13 runs the search whatever the shift state; other keys pass on.
    void FXNo_TAP_KeyDown(int keyCode, int shift);
    void Form_Resize();

    // Form-level state shared by the search and the delivery. The connections
    // are replaced at every search and stay with the window for the delivery;
    // SocioID and BaseDados describe the member on show while Command2 is enabled.
    std::unique_ptr<platform::Connection> ConnHALDOR;
    std::unique_ptr<platform::Connection> ConnMIRVA;
    std::unique_ptr<platform::Connection> ConnSqlServer;
    qint32 SocioID = 0;
    qint32 BaseDados = 0;

    // Closes the window's connections and the data environment's, so that an
    // embedded file is left whole in its main file; the desk ends after it.
    void closeConnections();

    // The image name "&Fechar" ends; tests give their own unique one.
    void setProgramImageName(const QString &name) { m_imageName = name; }

    // Window size in twips, borders included.
    double widthTwips() const;
    double heightTwips() const;
    void setWidthTwips(double twips);
    void setHeightTwips(double twips);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildBanner();
    void buildMainPanel();
    void buildMemberPanel();
    void buildDeliveryPanel();
    void setTabOrder();
    void setMemberBoxLook(QLineEdit *box, bool editable);

    // Member search, in the steps of Command4_Click
    enum class NameSearch { NotFound, Found, Cancelled };
    struct SearchFindings
    {
        bool inHaldor = false;
        bool inMirva = false;
        bool inactiveInMirva = false;
        bool inactiveInHaldor = false;
    };
    bool connectForSearch(); // false: the operator was told
    std::unique_ptr<platform::Recordset> numberSearch(platform::Connection &connection, const QString &view,
                                                      const char *column);
    QString namePattern() const;
    NameSearch searchActiveHaldor(SearchFindings &found);
    NameSearch searchFullRegisters(SearchFindings &found);
    void showFindings(const SearchFindings &found);
    bool testConnection(platform::Connection &connection);
    void takeRow(platform::Recordset &recordset, qint32 code);
    NameSearch searchByName(platform::Connection &connection, const QString &statement, qint32 code);
    void finishSearch();
    // A cancelled picker or an error: only the busy state is undone.
    void leaveSearchEarly();

    // Invitation delivery
    qint32 nextInvitationNumber();
    bool refuseIfFound(const QString &statement);
    bool refuseIfDelivered();
    void recordDelivery(qint32 number);

    QString m_imageName;
    bool m_firstShow = true;

    QPushButton *Command1 = nullptr;
    QFrame *Frame1 = nullptr;
    QFrame *Frame2 = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Image1 = nullptr;
    QGroupBox *Frame4 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *FXNo_TAP = nullptr;
    QPushButton *Command4 = nullptr;
    QLabel *Label_HALDOR = nullptr;
    QLabel *Label_MIRVA = nullptr;
    QLabel *Label5 = nullptr;
    QLineEdit *FXNo_Empresa = nullptr;
    QLabel *Label6 = nullptr;
    QLineEdit *FXNome = nullptr;
    QLabel *Label7 = nullptr;
    QLineEdit *FXEmpresa = nullptr;
    QLabel *Label8 = nullptr;
    QLineEdit *FXMIRVA_HALDOR = nullptr;
    QLabel *Label10 = nullptr;
    QLineEdit *FXEmail = nullptr;
    QPushButton *Command2 = nullptr;
    QLabel *Label9 = nullptr;
    QLineEdit *FXConvite_No = nullptr;
};
