#include "app/frmMain.h"

#include "app/frmMainLayout.h"

#include "Deployment.h"
#include "controls/ImageBox.h"
#include "controls/TextContrast.h"
#include "data/Data.h"
#include "platform/os/ProcessList.h"
#include "platform/ui/DeskFont.h"
#include "system/modProcessos.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

// The desks of this process, whose connections close when it is asked to end.
QList<frmMain *> &openDesks()
{
    static QList<frmMain *> desks;
    return desks;
}

template <typename Widget> Widget *place(Widget *widget, const char *name, const controls::TwipsRect &rect)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(rect.toPixels());
    return widget;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption, const controls::TwipsRect &rect)
{
    auto *widget = place(new QLabel(caption, parent), name, rect);
    widget->setFocusPolicy(Qt::NoFocus);
    return widget;
}

QLineEdit *textBox(QWidget *parent, const char *name, const controls::TwipsRect &rect)
{
    auto *box = place(new QLineEdit(parent), name, rect);
    box->setProperty("Tag", QString());
    return box;
}

} // namespace

frmMain::frmMain(QWidget *parent) : QWidget(parent), m_imageName(modProcessos::ProgramImageName())
{
    initResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Velunas"));
    setFont(platform::DeskFont());
    resize(controls::twipsToPixels(frmMainLayout::ClientWidth), controls::twipsToPixels(frmMainLayout::ClientHeight));

    Command1 = place(new QPushButton(QStringLiteral("&Fechar"), this), "Command1", frmMainLayout::Command1);
    Frame1 = place(new QFrame(this), "Frame1", frmMainLayout::Frame1);
    Frame2 = place(new QFrame(this), "Frame2", frmMainLayout::Frame2);
    buildBanner();
    buildMainPanel();
    buildMemberPanel();
    buildDeliveryPanel();
    setTabOrder();

    // As on the desktop the desk comes from, Enter on a focused button clicks it, as Space does.
    for (QPushButton *button : {Command1, Command4, Command2})
        button->setAutoDefault(true);

    connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(Command4, &QPushButton::clicked, this, &frmMain::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMain::Command2_Click);
    connect(FXNo_TAP, &QLineEdit::textChanged, this, &frmMain::FXNo_TAP_Change);
    FXNo_TAP->installEventFilter(this);

    // Another copy's "&Fechar", or the system, may end this process at any moment.
    openDesks().append(this);
    platform::onEndRequest([] {
        try {
            for (frmMain *desk : openDesks())
                desk->closeConnections();
        } catch (...) {
            // The process ends all the same; a file not closed keeps its log.
        }
    });
}

frmMain::~frmMain()
{
    openDesks().removeOne(this);
}

void frmMain::closeConnections()
{
    ConnMIRVA.reset();
    ConnHALDOR.reset();
    ConnSqlServer.reset();
    DataEnvironment &data = Data();
    for (platform::Connection *connection : {&data.SqlServer(), &data.HALDOR(), &data.MIRVA()})
        if (connection->State() != platform::ConnectionState::Closed)
            connection->Close();
}

void frmMain::buildBanner()
{
    // Image1 sits behind the three labels, so it is made first.
    Image1 = place(new controls::ImageBox(Frame1), "Image1", frmMainLayout::Image1);
    Image1->setPixmap(QPixmap(QStringLiteral(":/velunas/banner.png")));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image2 = place(new controls::ImageBox(Frame1), "Image2", frmMainLayout::Image2);
    Image2->setPixmap(QPixmap(QStringLiteral(":/velunas/banner_side.png")));
    Image2->setScaledContents(true);

    const QString light = QStringLiteral("color: white; font-weight: bold;");
    Label1 = label(Frame1, "Label1", QString::fromUtf8(deployment::EventTitle), frmMainLayout::Label1);
    Label2 = label(Frame1, "Label2", QStringLiteral("HALDOR - ") + QString::fromUtf8(deployment::HaldorName),
                   frmMainLayout::Label2);
    Label3 = label(Frame1, "Label3", QStringLiteral("MIRVA - ") + QString::fromUtf8(deployment::MirvaName),
                   frmMainLayout::Label3);
    Label1->setStyleSheet(light + QStringLiteral(" font-size: 14px;"));
    Label2->setStyleSheet(QStringLiteral("color: white;"));
    Label3->setStyleSheet(QStringLiteral("color: white;"));
    for (QWidget *widget : {static_cast<QWidget *>(Image1), static_cast<QWidget *>(Image2)})
        widget->setFocusPolicy(Qt::NoFocus);
}

void frmMain::buildMainPanel()
{
    Frame4 = place(new QGroupBox(QStringLiteral("Convite:"), Frame2), "Frame4", frmMainLayout::Frame4);
    Frame3 = place(new QGroupBox(QStringLiteral("Dados do Associado:"), Frame2), "Frame3", frmMainLayout::Frame3);
    Label4 = label(Frame2, "Label4", QStringLiteral("Nº Empresa / Nome / Socio:"), frmMainLayout::Label4);
    FXNo_TAP = textBox(Frame2, "FXNo_TAP", frmMainLayout::FXNo_TAP);
    Command4 = place(new QPushButton(QStringLiteral("Verificar"), Frame2), "Command4", frmMainLayout::Command4);
    Label_HALDOR =
        label(Frame2, "Label_HALDOR", QStringLiteral("Conectado ao servidor do HALDOR"), frmMainLayout::Label_HALDOR);
    Label_MIRVA =
        label(Frame2, "Label_MIRVA", QStringLiteral("Conectado ao servidor da MIRVA"), frmMainLayout::Label_MIRVA);
    // The connection states mean nothing before the first search.
    Label_HALDOR->setVisible(false);
    Label_MIRVA->setVisible(false);
    for (QGroupBox *frame : {Frame3, Frame4})
        frame->setFocusPolicy(Qt::NoFocus);
}

void frmMain::buildMemberPanel()
{
    Label5 = label(Frame3, "Label5", QStringLiteral("Número Empresa:"), frmMainLayout::Label5);
    FXNo_Empresa = textBox(Frame3, "FXNo_Empresa", frmMainLayout::FXNo_Empresa);
    Label6 = label(Frame3, "Label6", QStringLiteral("Nome Completo:"), frmMainLayout::Label6);
    FXNome = textBox(Frame3, "FXNome", frmMainLayout::FXNome);
    Label7 = label(Frame3, "Label7", QStringLiteral("Empresa:"), frmMainLayout::Label7);
    FXEmpresa = textBox(Frame3, "FXEmpresa", frmMainLayout::FXEmpresa);
    Label8 = label(Frame3, "Label8", QStringLiteral("Membro de:"), frmMainLayout::Label8);
    FXMIRVA_HALDOR = textBox(Frame3, "FXMIRVA_HALDOR", frmMainLayout::FXMIRVA_HALDOR);
    Label10 = label(Frame3, "Label10", QStringLiteral("Email:"), frmMainLayout::Label10);
    FXEmail = textBox(Frame3, "FXEmail", frmMainLayout::FXEmail);
    for (QLineEdit *box : {FXNo_Empresa, FXNome, FXEmpresa, FXMIRVA_HALDOR, FXEmail})
        setMemberBoxLook(box, false);
}

void frmMain::buildDeliveryPanel()
{
    Command2 = place(new QPushButton(QStringLiteral("Processar Entrega"), Frame4), "Command2", frmMainLayout::Command2);
    Command2->setEnabled(false);
    Label9 = label(Frame4, "Label9", QStringLiteral("Entregar ao associado o convite nº:"), frmMainLayout::Label9);
    FXConvite_No = textBox(Frame4, "FXConvite_No", frmMainLayout::FXConvite_No);
    FXConvite_No->setReadOnly(true); // locked, yet it can take the focus
    // The caption runs under the number box as designed; the box stays on top.
    FXConvite_No->raise();
}

void frmMain::setTabOrder()
{
    // Window-wide tab order by designed TabIndex; disabled controls are skipped.
    const QList<QWidget *> order = {Command1,  FXNo_TAP,       Command4, FXNo_Empresa, FXNome,
                                    FXEmpresa, FXMIRVA_HALDOR, Command2, FXConvite_No, FXEmail};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

void frmMain::setMemberBoxLook(QLineEdit *box, bool editable)
{
    // The member shown is checked against the person at the desk: greyed, yet readable.
    constexpr double ReadableContrast = 7.0;
    QPalette palette = box->palette();
    const QColor buttonFace = QPalette().color(QPalette::Button);
    palette.setColor(QPalette::Base, editable ? QPalette().color(QPalette::Base) : buttonFace);
    palette.setColor(QPalette::Disabled, QPalette::Text,
                     controls::readableDisabledText(QPalette().color(QPalette::Active, QPalette::Text), buttonFace,
                                                    ReadableContrast));
    box->setPalette(palette);
    box->setEnabled(editable);
    box->setReadOnly(!editable);
}

void frmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_firstShow) {
        m_firstShow = false;
        Command1->setFocus(Qt::OtherFocusReason);
    }
}
