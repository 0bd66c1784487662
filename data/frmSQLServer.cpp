#include "data/frmSQLServer.h"

#include "platform/ui/DeskFont.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QWindow>

#include <cmath>

namespace {

// Designed positions are in twips, 15 to a pixel on the desk's screens.
QRect twips(int left, int top, int width, int height)
{
    auto px = [](int t) { return static_cast<int>(std::lround(t / 15.0)); };
    return QRect(px(left), px(top), px(width), px(height));
}

template <typename Widget> Widget *place(Widget *widget, const char *name, const QRect &rect)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(rect);
    return widget;
}

} // namespace

frmSQLServer::frmSQLServer(QWidget *parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSQLServer"));
    setWindowTitle(QStringLiteral("Ligação ao Servidor de Dados (SQL)"));
    // Its sentences were set in narrower places than the main window's captions.
    constexpr qreal PointSize = 7.5;
    setFont(platform::DeskFont(false, PointSize));
    setFixedSize(twips(0, 0, 6420, 2160).size());

    ImageList1 << style()->standardIcon(QStyle::SP_MessageBoxWarning);
    Image1 = place(new QLabel(this), "Image1", twips(300, 225, 720, 720));
    Label1 = place(new QLabel(QStringLiteral("Problemas na ligação ao servidor de dados."), this), "Label1",
                   twips(1305, 225, 3885, 240));
    Label1->setFont(platform::DeskFont(true, PointSize));
    Label2 << place(new QLabel(QStringLiteral("Possivelmente o servidor SQL está desligado ou inacessível."), this),
                    "Label2_0", twips(1305, 540, 4335, 240));
    Label2 << place(new QLabel(QStringLiteral("Certifique-se de que o respectivo servidor está ligado, e depois tente "
                                              "forçar a ligação carregando em 'Ligar ao servidor SQL'."),
                               this),
                    "Label2_1", twips(1305, 810, 4335, 600));
    Label2.at(1)->setWordWrap(true);
    Command2 = place(new QPushButton(QStringLiteral("&Sair"), this), "Command2", twips(2610, 1530, 1545, 420));
    Command1 = place(new QPushButton(QStringLiteral("&Ligar ao servidor SQL"), this), "Command1",
                     twips(4185, 1530, 1950, 420));
    connect(Command1, &QPushButton::clicked, this, &frmSQLServer::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSQLServer::Command2_Click);
    Form_Load();
}

void frmSQLServer::Form_Load()
{
    Image1->setPixmap(ImageList1.first().pixmap(Image1->size()));
    TryAgain = false;
}

void frmSQLServer::Command1_Click()
{
    Command1->setEnabled(false);
    TryAgain = true;
    close();
}

void frmSQLServer::Command2_Click()
{
    TryAgain = false;
    Desistiu = true;
    close();
}

void frmSQLServer::showPainted()
{
    // A desktop that never exposes the window (another workspace) must not hold up the attempt.
    constexpr int ExposeWaitMs = 2000;
    show();
    const QDeadlineTimer deadline(ExposeWaitMs);
    while (!(windowHandle() && windowHandle()->isExposed()) && !deadline.hasExpired()) {
        // The caller's window is disabled meanwhile, so the operator's input goes nowhere but here.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    repaint();
    // Hands the drawing to the display before the attempt holds the thread.
    QCoreApplication::processEvents();
}

void frmSQLServer::showEvent(QShowEvent *event)
{
    // The window stays on top by its flag; activating it puts the operator's
    // keys there rather than in the disabled caller.
    activateWindow();
    QWidget::showEvent(event);
}

void frmSQLServer::closeEvent(QCloseEvent *event)
{
    if (isVisible()) {
        event->ignore();
        hide();
        return;
    }
    event->accept();
}
