#include "data/frmSQLServer.h"
#include "data/modTestConnection.h"
#include "platform/ui/DeskFont.h"
#include "sitetools/demo/DemoDatabase.h"
#include "tests/support/ObservedProvider.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

using platform::Connection;

namespace {

frmSQLServer *problemWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *window = qobject_cast<frmSQLServer *>(widget))
            return window;
    return nullptr;
}

// What the desk looked like at the moment a connection attempt reached the
// database.
struct Attempt
{
    bool windowShown = false;
    bool windowDrawn = false; // exposed on the desktop and painted
    bool command1Enabled = false;
    bool callerEnabled = true;
};

// What the problem window and the caller look like at an open.
Attempt attemptNow(QWidget *caller)
{
    Attempt attempt;
    if (frmSQLServer *window = problemWindow()) {
        attempt.windowShown = window->isVisible();
        attempt.windowDrawn =
            window->windowHandle() && window->windowHandle()->isExposed() && window->property("painted").toBool();
        attempt.command1Enabled = window->Command1->isEnabled();
    }
    attempt.callerEnabled = caller->isEnabled();
    return attempt;
}

// Marks a problem window once any of it has been painted.
class PaintWatch : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Paint && widget && qobject_cast<frmSQLServer *>(widget->window()))
            widget->window()->setProperty("painted", true);
        return false;
    }
};

// Acts on the problem window each time it waits for the operator.
void whenProblemWindowWaits(std::function<bool(frmSQLServer &)> action)
{
    QTimer::singleShot(10, [action] {
        frmSQLServer *window = problemWindow();
        if (window && window->isVisible() && window->Command1->isEnabled()) {
            if (!action(*window))
                return;
        }
        whenProblemWindowWaits(action);
    });
}

} // namespace

// The connection test on real files, with the real problem window.
class tst_modTestConnection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void goodFileNeedsNoWindow();
    void missingFileGetsOneFurtherAttempt();
    void openConnectionWhoseProbeFails();
    void retryUntilTheFileIsThere_data();
    void retryUntilTheFileIsThere();
    void retryEndsWhenTheOperatorGivesUp();
    void closeRequestHidesTheVisibleWindow();
    void textsFitTheirPlaces();

private:
    QString watched(const QString &path) const { return QStringLiteral("Provider=Watched;Data Source=") + path; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWidget> m_caller;
    QList<Attempt> m_attempts;
    PaintWatch m_paintWatch;
    QString m_good;
};

void tst_modTestConnection::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    demo::createSchemaOnly(m_dir->path());
    m_good = demo::demoFiles(m_dir->path()).haldor;
    m_caller = std::make_unique<QWidget>();
    m_caller->show();
    m_attempts.clear();
    qApp->installEventFilter(&m_paintWatch);
    platform::registerProvider(QStringLiteral("Watched"), [this] {
        return std::make_unique<testsupport::ObservedProvider>(
            [this](const platform::ConnectionProperties &) { m_attempts.append(attemptNow(m_caller.get())); });
    });
}

void tst_modTestConnection::cleanup()
{
    platform::registerProvider(QStringLiteral("Watched"), {});
    QVERIFY2(!problemWindow(), "the problem window was left behind");
}

void tst_modTestConnection::goodFileNeedsNoWindow()
{
    Connection connection;
    QString entry;
    QString text = watched(m_good);
    QVERIFY(modTestConnection::TestConnection(connection, entry, m_caller.get(), text, false));
    QCOMPARE(m_attempts.size(), 1);
    QVERIFY(!m_attempts.first().windowShown);
    QVERIFY(!m_attempts.first().callerEnabled);
    QVERIFY(m_caller->isEnabled());
    QCOMPARE(connection.State(), 1);
    QCOMPARE(text, watched(m_good));
}

void tst_modTestConnection::missingFileGetsOneFurtherAttempt()
{
    Connection connection;
    QString entry;
    QString text = watched(m_dir->filePath(QStringLiteral("nenhum.db")));
    QVERIFY(!modTestConnection::TestConnection(connection, entry, m_caller.get(), text, false));
    QCOMPARE(m_attempts.size(), 2);
    QVERIFY(!m_attempts.at(0).windowShown);
    QVERIFY(m_attempts.at(1).windowShown);
    QVERIFY(m_attempts.at(1).windowDrawn);
    QVERIFY(!m_attempts.at(1).command1Enabled);
    QVERIFY(!m_attempts.at(1).callerEnabled);
    QVERIFY(m_caller->isEnabled());
    QCOMPARE(connection.State(), 0);
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("nenhum.db"))));
}

void tst_modTestConnection::openConnectionWhoseProbeFails()
{
    Connection connection;
    connection.setConnectionString(watched(m_good));
    connection.Open();
    QFile(m_good).resize(0); // the database becomes unreadable under the open connection
    QString entry;
    QString text = connection.ConnectionString();
    QVERIFY(modTestConnection::TestConnection(connection, entry, m_caller.get(), text, false));
    QCOMPARE(m_attempts.size(), 1); // the further attempt found it open and did not reconnect
    QCOMPARE(connection.State(), 1);
    QVERIFY(m_caller->isEnabled());
}

void tst_modTestConnection::retryUntilTheFileIsThere_data()
{
    QTest::addColumn<bool>("byCloseBox");
    QTest::newRow("Ligar ao servidor SQL") << false;
    QTest::newRow("close box") << true;
}

void tst_modTestConnection::retryUntilTheFileIsThere()
{
    QFETCH(bool, byCloseBox);
    const QString later = m_dir->filePath(QStringLiteral("depois"));
    Connection connection;
    QString entry;
    QString text = watched(demo::demoFiles(later).haldor);
    int waits = 0;
    whenProblemWindowWaits([&](frmSQLServer &window) {
        if (++waits == 2)
            demo::createSchemaOnly(later); // the server is back before the third attempt
        if (byCloseBox)
            window.close();
        else
            window.Command1->click();
        return waits < 2;
    });
    QVERIFY(modTestConnection::TestConnection(connection, entry, m_caller.get(), text, true));
    QCOMPARE(waits, 2);
    QCOMPARE(m_attempts.size(), 4); // first open, then three attempts of the loop
    for (qsizetype i = 1; i < m_attempts.size(); ++i) {
        QVERIFY(m_attempts.at(i).windowShown);
        QVERIFY(m_attempts.at(i).windowDrawn);
        QVERIFY(!m_attempts.at(i).command1Enabled);
        QVERIFY(!m_attempts.at(i).callerEnabled);
    }
    QCOMPARE(connection.State(), 1);
    QVERIFY(m_caller->isEnabled());
}

void tst_modTestConnection::retryEndsWhenTheOperatorGivesUp()
{
    Connection connection;
    QString entry;
    QString text = watched(m_dir->filePath(QStringLiteral("nenhum.db")));
    int waits = 0;
    whenProblemWindowWaits([&](frmSQLServer &window) {
        ++waits;
        if (waits == 1)
            window.Command1->click();
        else
            window.Command2->click(); // "&Sair"
        return waits < 2;
    });
    QVERIFY(!modTestConnection::TestConnection(connection, entry, m_caller.get(), text, true));
    QCOMPARE(waits, 2);
    QCOMPARE(m_attempts.size(), 3);
    QVERIFY(m_caller->isEnabled());
}

void tst_modTestConnection::closeRequestHidesTheVisibleWindow()
{
    frmSQLServer window;
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    window.show();
    QVERIFY(!window.close());
    QVERIFY(window.isHidden());
    QVERIFY(window.close());
    window.show();
    window.Command1->click();
    QVERIFY(window.TryAgain);
    QVERIFY(!window.Command1->isEnabled());
    QVERIFY(window.isHidden());
    window.show();
    window.Command2->click();
    QVERIFY(!window.TryAgain);
    QVERIFY(window.isHidden());
}

void tst_modTestConnection::textsFitTheirPlaces()
{
    // The program carries its face: the texts are measured in it on every system.
    QVERIFY(testsupport::drawnInDeskFace(platform::DeskFont(false, 8)));
    frmSQLServer window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QList<QLabel *> texts = window.findChildren<QLabel *>();
    QCOMPARE(texts.size(), 4);
    for (QLabel *text : texts) {
        const QSize needed =
            text->wordWrap() ? QSize(text->width(), text->heightForWidth(text->width())) : text->sizeHint();
        QVERIFY2(needed.width() <= text->width() && needed.height() <= text->height(),
                 qPrintable(QStringLiteral("%1 needs %2x%3 in %4x%5")
                                .arg(text->objectName())
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(text->width())
                                .arg(text->height())));
    }
}

QTEST_MAIN(tst_modTestConnection)
#include "tst_modTestConnection.moc"
