// The main window as the operator meets it: controls, tab order, reset,
// focus and size limits, on a real offscreen window.
#include "app/frmMain.h"
#include "app/frmMainLayout.h"

#include "platform/ui/DisabledWindow.h"
#include "platform/ui/WindowRefresh.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using controls::TwipsRect;

// Which widgets were painted, in order.
struct PaintCounter : QObject
{
    QList<QObject *> widgets;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            widgets << watched;
        return false;
    }
};

class tst_frmMain : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<frmMain> m_window;

    template <typename T = QWidget> T *control(const char *name) const
    {
        return m_window->findChild<T *>(QLatin1String(name));
    }

    static QColor background(const QLineEdit *box) { return box->palette().color(QPalette::Base); }

private slots:
    void init()
    {
        m_window = std::make_unique<frmMain>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void clientAreaAsDesigned()
    {
        QCOMPARE(m_window->size(), QSize(816, 612));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Velunas"));
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips");
        auto row = [](const char *name, const char *container, const QString &caption, const TwipsRect &r) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(container) << caption
                                << QRect(r.left, r.top, r.width, r.height);
        };
        row("Command1", "frmMain", QStringLiteral("&Fechar"), frmMainLayout::Command1);
        row("Frame1", "frmMain", QString(), frmMainLayout::Frame1);
        row("Frame2", "frmMain", QString(), frmMainLayout::Frame2);
        row("Image1", "Frame1", QString(), frmMainLayout::Image1);
        row("Image2", "Frame1", QString(), frmMainLayout::Image2);
        row("Label1", "Frame1", QString(), frmMainLayout::Label1);
        row("Label2", "Frame1", QString(), frmMainLayout::Label2);
        row("Label3", "Frame1", QString(), frmMainLayout::Label3);
        row("Frame4", "Frame2", QStringLiteral("Convite:"), frmMainLayout::Frame4);
        row("Frame3", "Frame2", QStringLiteral("Dados do Associado:"), frmMainLayout::Frame3);
        row("Label4", "Frame2", QStringLiteral("Nº Empresa / Nome / Socio:"), frmMainLayout::Label4);
        row("FXNo_TAP", "Frame2", QString(), frmMainLayout::FXNo_TAP);
        row("Command4", "Frame2", QStringLiteral("Verificar"), frmMainLayout::Command4);
        row("Label_HALDOR", "Frame2", QStringLiteral("Conectado ao servidor do HALDOR"), frmMainLayout::Label_HALDOR);
        row("Label_MIRVA", "Frame2", QStringLiteral("Conectado ao servidor da MIRVA"), frmMainLayout::Label_MIRVA);
        row("Label5", "Frame3", QStringLiteral("Número Empresa:"), frmMainLayout::Label5);
        row("FXNo_Empresa", "Frame3", QString(), frmMainLayout::FXNo_Empresa);
        row("Label6", "Frame3", QStringLiteral("Nome Completo:"), frmMainLayout::Label6);
        row("FXNome", "Frame3", QString(), frmMainLayout::FXNome);
        row("Label7", "Frame3", QStringLiteral("Empresa:"), frmMainLayout::Label7);
        row("FXEmpresa", "Frame3", QString(), frmMainLayout::FXEmpresa);
        row("Label8", "Frame3", QStringLiteral("Membro de:"), frmMainLayout::Label8);
        row("FXMIRVA_HALDOR", "Frame3", QString(), frmMainLayout::FXMIRVA_HALDOR);
        row("Label10", "Frame3", QStringLiteral("Email:"), frmMainLayout::Label10);
        row("FXEmail", "Frame3", QString(), frmMainLayout::FXEmail);
        row("Command2", "Frame4", QStringLiteral("Processar Entrega"), frmMainLayout::Command2);
        row("Label9", "Frame4", QStringLiteral("Entregar ao associado o convite nº:"), frmMainLayout::Label9);
        row("FXConvite_No", "Frame4", QString(), frmMainLayout::FXConvite_No);
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        QWidget *widget = m_window->findChild<QWidget *>(name);
        QVERIFY2(widget, qPrintable(name));
        QCOMPARE(widget->parentWidget()->objectName(), container);
        const TwipsRect designed{twips.x(), twips.y(), twips.width(), twips.height()};
        QCOMPARE(widget->geometry(), designed.toPixels());
        if (auto *button = qobject_cast<QPushButton *>(widget))
            QCOMPARE(button->text(), caption);
        else if (auto *frame = qobject_cast<QGroupBox *>(widget))
            QCOMPARE(frame->title(), caption);
        else if (auto *label = qobject_cast<QLabel *>(widget); label && !caption.isEmpty())
            QCOMPARE(label->text(), caption);
        else if (auto *box = qobject_cast<QLineEdit *>(widget))
            QVERIFY(box->text().isEmpty());
    }

    void panelsHoldTheirControls()
    {
        // Inside the main panel nothing spills out of its frame.
        for (const char *frame : {"Frame2", "Frame3", "Frame4"}) {
            QWidget *container = control(frame);
            for (QWidget *child : container->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
                if (child->objectName().isEmpty())
                    continue;
                QVERIFY2(container->rect().contains(child->geometry()), qPrintable(child->objectName()));
            }
        }
    }

    void bannerCarriesDeploymentTexts()
    {
        QVERIFY(control<QLabel>("Label2")->text().startsWith(QStringLiteral("HALDOR - ")));
        QVERIFY(control<QLabel>("Label3")->text().startsWith(QStringLiteral("MIRVA - ")));
        QVERIFY(!control<QLabel>("Label1")->text().isEmpty());
        QCOMPARE(control<QLabel>("Image1")->pixmap().size(), QSize(600, 70));
        QCOMPARE(control<QLabel>("Image2")->pixmap().size(), QSize(41, 70));
        QVERIFY(control<QLabel>("Image2")->hasScaledContents());
    }

    // A connection test disables the window for a moment: the banner keeps its
    // look, a refresh paints at once what changed, and only that, and the
    // moment of the test itself repaints nothing.
    void disabledWindowAndRefresh()
    {
        const QImage enabled = control("Image2")->grab().toImage();
        m_window->setEnabled(false);
        QCOMPARE(control("Image2")->grab().toImage(), enabled);
        m_window->setEnabled(true);
        for (const char *name : {"Label_HALDOR", "Label_MIRVA"})
            control(name)->setVisible(true);
        QApplication::processEvents();

        PaintCounter painted;
        for (const char *name : {"Label_HALDOR", "FXNo_TAP", "Command4", "Image1"})
            control(name)->installEventFilter(&painted);
        control<QLabel>("Label_HALDOR")->setText(QStringLiteral("ERRO: não foi possivel ligar ao servidor do HALDOR"));
        platform::Refresh(m_window.get());
        QCOMPARE(painted.widgets, QList<QObject *>{control("Label_HALDOR")});

        // Disabled and enabled again for a test: input refused, nothing redrawn.
        painted.widgets.clear();
        {
            platform::DisabledWindow disabled(m_window.get());
            QVERIFY(!control("Command4")->isEnabled());
            platform::Refresh(m_window.get());
        }
        QVERIFY(control("Command4")->isEnabled());
        platform::Refresh(m_window.get());
        QCOMPARE(painted.widgets, QList<QObject *>());
    }

    void startState()
    {
        QCOMPARE(QApplication::focusWidget(), control("Command1"));
        QVERIFY(!control("Command2")->isEnabled());
        const QColor buttonFace = QPalette().color(QPalette::Button);
        for (const char *name : {"FXNo_Empresa", "FXNome", "FXEmpresa", "FXMIRVA_HALDOR", "FXEmail"}) {
            auto *box = control<QLineEdit>(name);
            QVERIFY2(!box->isEnabled() && box->isReadOnly(), name);
            QCOMPARE(background(box), buttonFace);
        }
        auto *number = control<QLineEdit>("FXConvite_No");
        QVERIFY(number->isEnabled());
        QVERIFY(number->isReadOnly());
        QVERIFY(control<QLineEdit>("FXNo_TAP")->isEnabled());
        QVERIFY(!control<QLineEdit>("FXNo_TAP")->isReadOnly());
    }

    void tabOrderSkipsDisabledControls()
    {
        QStringList visited;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited,
                 (QStringList{QStringLiteral("FXNo_TAP"), QStringLiteral("Command4"), QStringLiteral("FXConvite_No"),
                              QStringLiteral("Command1"), QStringLiteral("FXNo_TAP")}));
    }

    void tabOrderWithDeliveryAndEmailEnabled()
    {
        control("Command2")->setEnabled(true);
        control("FXEmail")->setEnabled(true);
        QStringList visited;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited,
                 (QStringList{QStringLiteral("FXNo_TAP"), QStringLiteral("Command4"), QStringLiteral("Command2"),
                              QStringLiteral("FXConvite_No"), QStringLiteral("FXEmail"), QStringLiteral("Command1")}));
    }

    void typingResetsTheMemberDisplay()
    {
        auto *email = control<QLineEdit>("FXEmail");
        for (const char *name : {"FXNo_Empresa", "FXNome", "FXEmpresa", "FXMIRVA_HALDOR", "FXConvite_No"})
            control<QLineEdit>(name)->setText(QStringLiteral("x"));
        email->setEnabled(true);
        email->setReadOnly(false);
        email->setText(QStringLiteral("ana@exemplo.pt"));
        control("Command2")->setEnabled(true);

        QTest::keyClicks(control("FXNo_TAP"), QStringLiteral("1"));

        QVERIFY(!control("Command2")->isEnabled());
        for (const char *name : {"FXNo_Empresa", "FXNome", "FXEmpresa", "FXMIRVA_HALDOR", "FXConvite_No"})
            QVERIFY2(control<QLineEdit>(name)->text().isEmpty(), name);
        QVERIFY(email->text().isEmpty());
        QVERIFY(!email->isEnabled());
        QVERIFY(email->isReadOnly());
        QCOMPARE(background(email), QPalette().color(QPalette::Button));
    }

    void focusSelectsAllAndLeavingEmptiesTag()
    {
        auto *entry = control<QLineEdit>("FXNo_TAP");
        entry->setText(QStringLiteral("98765"));
        entry->setProperty("Tag", QStringLiteral("raw"));
        control("Command1")->setFocus();
        QTest::keyClick(control("Command1"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), entry);
        QCOMPARE(entry->selectionStart(), 0);
        QCOMPARE(entry->selectedText(), QStringLiteral("98765"));
        QTest::keyClick(entry, Qt::Key_Tab);
        QCOMPARE(entry->property("Tag").toString(), QString());
        QCOMPARE(entry->text(), QStringLiteral("98765"));
    }

    void otherKeysReachTheBox()
    {
        auto *entry = control<QLineEdit>("FXNo_TAP");
        entry->setFocus();
        QTest::keyClicks(entry, QStringLiteral("Ana Silva"));
        QCOMPARE(entry->text(), QStringLiteral("Ana Silva"));
    }

    void resizeKeepsTheMinimum_data()
    {
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<bool>("widthSnaps");
        QTest::addColumn<bool>("heightSnaps");
        QTest::newRow("too narrow") << QSize(100, 400) << true << false;
        QTest::newRow("too low") << QSize(500, 50) << false << true;
        QTest::newRow("both") << QSize(10, 10) << true << true;
        QTest::newRow("larger keeps geometry") << QSize(1200, 900) << false << false;
    }

    void resizeKeepsTheMinimum()
    {
        QFETCH(QSize, requested);
        QFETCH(bool, widthSnaps);
        QFETCH(bool, heightSnaps);
        const QRect fieldBefore = control("FXNo_TAP")->geometry();
        m_window->resize(requested);
        QTRY_VERIFY(m_window->widthTwips() > frmMainLayout::MinimumWidth);
        QTRY_VERIFY(m_window->heightTwips() > frmMainLayout::MinimumHeight);
        if (widthSnaps)
            QVERIFY(m_window->widthTwips() < frmMainLayout::MinimumWidth + 2 * controls::TwipsPerPixel);
        else
            QCOMPARE(m_window->width(), requested.width());
        if (heightSnaps)
            QVERIFY(m_window->heightTwips() < frmMainLayout::MinimumHeight + 2 * controls::TwipsPerPixel);
        else
            QCOMPARE(m_window->height(), requested.height());
        QCOMPARE(control("FXNo_TAP")->geometry(), fieldBefore);
    }

    void minimizedWindowIsLeftAlone()
    {
        m_window->resize(900, 700);
        m_window->showMinimized();
        m_window->Form_Resize();
        m_window->showNormal();
        QTRY_COMPARE(m_window->size(), QSize(900, 700));
    }
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
