// Whatever is typed or pasted at the desk is only text: each row runs through
// the real window once on the embedded files and once on PostgreSQL.
#include "tests/support/DeskFixture.h"
#include "tests/support/PostgresTestDatabase.h"

#include <QTest>
#include <QTreeWidget>

using testsupport::DeskFixture;
using testsupport::member;

namespace {

enum class Outcome { Found, Picker, NotFound };

const QString NotFoundText = QStringLiteral("O associado não foi encontrado em nenhum dos servidores.");

QList<demo::Member> haldorMembers()
{
    return {member(1, QStringLiteral("1001"), QStringLiteral("S-1"), QStringLiteral("Ana D'Ávila")),
            member(2, QStringLiteral("2002"), QStringLiteral("S-2"),
                   QStringLiteral("Tiago ") + QString(15, u'\'') + QStringLiteral(" Rocha")),
            member(3, QStringLiteral("3003"), QStringLiteral("S-3"), QStringLiteral("José Martins"))};
}

// A paste of `size` characters made of one piece repeated.
QString paste(const QString &piece, qsizetype size = 32000)
{
    return piece.repeated(size / piece.size() + 1).left(size);
}

QString withNul(const char *before, const char *after)
{
    return QLatin1String(before) + QChar() + QLatin1String(after);
}

} // namespace

Q_DECLARE_METATYPE(Outcome)

class tst_typedText : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::PostgresTestDatabase> m_database;

    // A desk on the embedded files, or pointed at the server; HALDOR holds
    // haldorMembers(), MIRVA gets `mirva`.
    std::unique_ptr<DeskFixture> desk(bool postgres, const QList<demo::Member> &mirva)
    {
        auto fixture = std::make_unique<DeskFixture>();
        if (!postgres) {
            fixture->addHaldor(haldorMembers());
            fixture->addMirva(mirva);
            return fixture;
        }
        m_database->insertMembers(QStringLiteral("mirva"), mirva);
        fixture->pointAt(m_database->connectionString(QStringLiteral("public")),
                         m_database->connectionString(QStringLiteral("haldor")),
                         m_database->connectionString(QStringLiteral("mirva")));
        return fixture;
    }

    bool skipped(bool postgres) const { return postgres && !m_database; }

    static void perBackend(const char *name, const std::function<void(QTestData &)> &values)
    {
        for (const bool postgres : {false, true})
            values(QTest::addRow("%s: %s", postgres ? "postgres" : "embedded", name) << postgres);
    }

private slots:
    void initTestCase()
    {
        if (!testsupport::PostgresTestDatabase::available())
            return;
        m_database = std::make_unique<testsupport::PostgresTestDatabase>(QStringLiteral("velunas_text"));
        m_database->insertMembers(QStringLiteral("haldor"), haldorMembers());
    }

    void cleanupTestCase() { m_database.reset(); }

    void searchEndsInAnOrdinaryOutcome_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("name");
        const auto row = [](const char *name, const QString &typed, Outcome outcome, const QString &found = {}) {
            perBackend(name, [&](QTestData &data) { data << typed << outcome << found; });
        };
        row("one apostrophe", QStringLiteral("d'ávila"), Outcome::Found, QStringLiteral("Ana D'Ávila"));
        row("fifteen apostrophes", QString(15, u'\''), Outcome::Found, haldorMembers().at(1).nome);
        row("page of apostrophes", paste(QStringLiteral("O'Neil ")), Outcome::NotFound);
        row("page of percent signs", paste(QStringLiteral("%")), Outcome::Picker);
        row("page of letters between percent signs", paste(QStringLiteral("a%")), Outcome::NotFound);
        row("underscore", QStringLiteral("_"), Outcome::Picker);
        row("NUL characters", withNul("ana", "d"), Outcome::NotFound);
        row("combining accent", QStringLiteral("jose\u0301 mart"), Outcome::Found, QStringLiteral("José Martins"));
        row("right-to-left mark", QStringLiteral("\u200Fana"), Outcome::NotFound);
        row("line comment", QStringLiteral("1001 -- ana"), Outcome::NotFound);
        row("block comment", QStringLiteral("/* ana */"), Outcome::NotFound);
        row("statement", QStringLiteral("'; DELETE FROM tbVelunas; --"), Outcome::NotFound);
        row("backslash and bracket", QStringLiteral("ana\\ [d"), Outcome::NotFound);
    }

    void searchEndsInAnOrdinaryOutcome()
    {
        QFETCH(bool, postgres);
        QFETCH(QString, typed);
        QFETCH(Outcome, outcome);
        QFETCH(QString, name);
        if (skipped(postgres))
            QSKIP("No PostgreSQL test server: make test starts one.");
        const auto fixture = desk(postgres, {});
        int pickerRows = 0;
        if (outcome == Outcome::Picker)
            testsupport::whenModal([&](QWidget *modal) {
                pickerRows = modal->findChild<QTreeWidget *>(QStringLiteral("ListView1"))->topLevelItemCount();
                QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("Command2")), Qt::LeftButton);
            });
        fixture->search(typed);
        QVERIFY2(fixture->reports.reports().isEmpty(), qPrintable(fixture->reports.reports().value(0).join(u'|')));
        QVERIFY(fixture->button("Command4")->isEnabled());
        switch (outcome) {
        case Outcome::Found:
            QCOMPARE(fixture->box("FXNome")->text(), name);
            QVERIFY(fixture->boxes.calls().isEmpty());
            break;
        case Outcome::Picker:
            QCOMPARE(pickerRows, haldorMembers().size());
            QVERIFY(fixture->button("Command2")->isEnabled());
            break;
        case Outcome::NotFound:
            QCOMPARE(fixture->boxes.calls().size(), 1);
            QCOMPARE(fixture->boxes.calls().at(0).text, NotFoundText);
            break;
        }
    }

    void deliveryStoresTheTexts_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *name, const QString &text) {
            perBackend(name, [&](QTestData &data) { data << text; });
        };
        row("apostrophes", QStringLiteral("Zé ") + QString(16, u'\'') + QStringLiteral(" d'Ávila"));
        row("page of apostrophes", paste(QStringLiteral("O'Neil-")));
        row("NUL characters", withNul("a", "b") + QChar());
        row("combining accents and right-to-left text", QStringLiteral("Jose\u0301 \u200F\u05D0\u05D1"));
        row("comments, backslashes and wildcards", QStringLiteral("-- /* */ \\ %_[ ] \\'"));
    }

    // The name and company come from the register, the e-mail is typed over.
    void deliveryStoresTheTexts()
    {
        QFETCH(bool, postgres);
        QFETCH(QString, text);
        if (skipped(postgres))
            QSKIP("No PostgreSQL test server: make test starts one.");
        static int next = 900;
        const QString company = QString::number(++next);
        const auto fixture = desk(postgres, {member(next, company, QStringLiteral("D-") + company, text, 1,
                                                    QStringLiteral("x@exemplo.pt"), text)});
        fixture->search(company);
        fixture->box("FXEmail")->setText(text);
        fixture->deliver();
        QVERIFY2(fixture->reports.reports().isEmpty(), qPrintable(fixture->reports.reports().value(0).join(u'|')));
        const QString statement =
            QStringLiteral("SELECT no_tap, nome, empresa, email FROM tbVelunas WHERE socio_id = %1").arg(next);
        const auto rows = postgres ? m_database->rows(statement) : fixture->rows(fixture->files.haldor, statement);
        QCOMPARE(rows.size(), 1);
        // PostgreSQL cannot hold a NUL; it keeps the replacement character in its place.
        const QString stored = postgres ? QString(text).replace(QChar(), QChar::ReplacementCharacter) : text;
        QCOMPARE(rows.at(0).at(0).toString(), company);
        QCOMPARE(rows.at(0).at(1).toString(), stored);
        QCOMPARE(rows.at(0).at(2).toString(), stored);
        QCOMPARE(rows.at(0).at(3).toString(), stored);
    }
};

QTEST_MAIN(tst_typedText)
#include "tst_typedText.moc"
