// Handlers of the entry box, the close button and the window's own events.
#include "app/frmMain.h"

#include "app/frmMainLayout.h"

#include "controls/modControls.h"
#include "platform/runtime/RuntimeError.h"
#include "system/ErrorReporting.h"
#include "system/modProcessos.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Window procedures of the desk's frame (closing, resizing) report as "Farrow".
void reportFrameError(const platform::RuntimeError &error, const QString &procedure)
{
    errorreporting::ReportWindowError(
        error, {QStringLiteral("Orvel Software"), QStringLiteral("Farrow"), QStringLiteral("frmMain"), procedure});
}

int shiftStateOf(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= 1;
    if (modifiers & Qt::ControlModifier)
        shift |= 2;
    if (modifiers & Qt::AltModifier)
        shift |= 4;
    return shift;
}

} // namespace

void frmMain::Command1_Click()
{
    try {
        close();
        // Ending the process skips every destructor: the embedded files are
        // closed first, or the session's deliveries stay in their logs.
        closeConnections();
        modProcessos::KillProcessByName(m_imageName);
    } catch (...) {
        reportFrameError(platform::currentRuntimeError(), QStringLiteral("Command1_Click"));
    }
}

void frmMain::FXNo_TAP_Change()
{
    Command2->setEnabled(false);
    for (QLineEdit *box : {FXNo_Empresa, FXEmpresa, FXNome, FXMIRVA_HALDOR, FXConvite_No})
        box->setText(QString());
    setMemberBoxLook(FXEmail, false);
    FXEmail->setText(QString());
}

void frmMain::FXNo_TAP_GotFocus()
{
    modControls::SelectOnFocus(FXNo_TAP, modControls::FormatCode::PlainText);
}

void frmMain::FXNo_TAP_LostFocus()
{
    modControls::FormatOnLostFocus(FXNo_TAP, modControls::FormatCode::PlainText);
}

void frmMain::FXNo_TAP_KeyDown(int keyCode, int)
{
    if (keyCode == 13)
        Command4_Click();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != FXNo_TAP)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        // The box handles the focus first, so that the selection made here stays.
        FXNo_TAP->event(event);
        FXNo_TAP_GotFocus();
        return true;
    case QEvent::FocusOut:
        FXNo_TAP->event(event);
        FXNo_TAP_LostFocus();
        return true;
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        FXNo_TAP_KeyDown(enter ? 13 : key->key(), shiftStateOf(key->modifiers()));
        return enter; // Enter is the search; it does nothing more in the box
    }
    default:
        return false;
    }
}

double frmMain::widthTwips() const
{
    return frameGeometry().width() * static_cast<double>(controls::TwipsPerPixel);
}

double frmMain::heightTwips() const
{
    return frameGeometry().height() * static_cast<double>(controls::TwipsPerPixel);
}

void frmMain::setWidthTwips(double twips)
{
    const int frame = frameGeometry().width() - width();
    resize(std::max(1, static_cast<int>(std::ceil(twips / controls::TwipsPerPixel)) - frame), height());
}

void frmMain::setHeightTwips(double twips)
{
    const int frame = frameGeometry().height() - height();
    resize(width(), std::max(1, static_cast<int>(std::ceil(twips / controls::TwipsPerPixel)) - frame));
}

void frmMain::Form_Resize()
{
    try {
        if (isMinimized())
            return;
        if (widthTwips() <= frmMainLayout::MinimumWidth)
            setWidthTwips(frmMainLayout::MinimumWidth);
        if (heightTwips() <= frmMainLayout::MinimumHeight)
            setHeightTwips(frmMainLayout::MinimumHeight);
    } catch (...) {
        reportFrameError(platform::currentRuntimeError(), QStringLiteral("Form_Resize"));
    }
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}
