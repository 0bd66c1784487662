// Whatever is typed or pasted at the desk is only text: each row runs through
// the real window once on the embedded files and once on PostgreSQL.
#include "tests/support/DeskFixture.h"
#include "tests/support/PostgresTestDatabase.h"

#include <QTest>
#include <QTreeView>

using testsupport::member;

enum class Outcome { Found, Picker, NotFound };
Q_DECLARE_METATYPE(Outcome)

namespace {
const QString Fifteen = QString(15, u'\'');
const QList<demo::Member> Haldor = {member(1, u"1001"_qs, u"S-1"_qs, u"Ana D'Ávila"_qs),
                                    member(2, u"2002"_qs, u"S-2"_qs, u"Tiago "_qs + Fifteen),
                                    member(3, u"3003"_qs, u"S-3"_qs, u"José Martins"_qs)};
const QString Nul = QString(QChar());

// A paste of 32,000 characters, one piece repeated.
QString page(const QString &piece)
{
    return piece.repeated(32000 / piece.size() + 1).left(32000);
}
} // namespace

class tst_typedText : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::PostgresTestDatabase> m_database;

    // A desk whose HALDOR holds Haldor and MIRVA `mirva`, on files or on the server.
    std::unique_ptr<testsupport::DeskFixture> desk(bool postgres, const QList<demo::Member> &mirva)
    {
        auto fixture = std::make_unique<testsupport::DeskFixture>();
        if (!postgres) {
            fixture->addHaldor(Haldor);
            fixture->addMirva(mirva);
            return fixture;
        }
        m_database->insertMembers(u"mirva"_qs, mirva);
        fixture->pointAt(m_database->connectionString(u"public"_qs), m_database->connectionString(u"haldor"_qs),
                         m_database->connectionString(u"mirva"_qs));
        return fixture;
    }

    static QTestData &row(bool postgres, const char *name)
    {
        return QTest::addRow("%s: %s", postgres ? "postgres" : "embedded", name) << postgres;
    }

private slots:
    void initTestCase()
    {
        if (!testsupport::PostgresTestDatabase::available())
            return;
        m_database = std::make_unique<testsupport::PostgresTestDatabase>(u"velunas_text"_qs);
        m_database->insertMembers(u"haldor"_qs, Haldor);
    }

    void searchEndsInAnOrdinaryOutcome_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("name");
        for (const bool pg : {false, true}) {
            row(pg, "one apostrophe") << u"d'ávila"_qs << Outcome::Found << Haldor.at(0).nome;
            row(pg, "fifteen apostrophes") << Fifteen << Outcome::Found << Haldor.at(1).nome;
            row(pg, "page of apostrophes") << page(u"O'Neil "_qs) << Outcome::NotFound << QString();
            row(pg, "page of percent signs") << page(u"%"_qs) << Outcome::Picker << QString();
            row(pg, "page of letters between percent signs") << page(u"a%"_qs) << Outcome::NotFound << QString();
            row(pg, "underscore") << u"_"_qs << Outcome::Picker << QString();
            row(pg, "NUL characters") << u"ana"_qs + Nul + u"d"_qs << Outcome::NotFound << QString();
            row(pg, "combining accent") << u"jose\u0301 mart"_qs << Outcome::Found << Haldor.at(2).nome;
            row(pg, "right-to-left mark") << u"\u200Fana"_qs << Outcome::NotFound << QString();
            row(pg, "comments") << u"1001 -- /* ana */"_qs << Outcome::NotFound << QString();
            row(pg, "statement") << u"'; DELETE FROM tbVelunas; --"_qs << Outcome::NotFound << QString();
            row(pg, "backslash and bracket") << u"ana\\ [d"_qs << Outcome::NotFound << QString();
        }
    }

    void searchEndsInAnOrdinaryOutcome()
    {
        QFETCH(bool, postgres);
        QFETCH(QString, typed);
        QFETCH(Outcome, outcome);
        QFETCH(QString, name);
        if (postgres && !m_database)
            QSKIP("No PostgreSQL test server: make test starts one.");
        const auto fixture = desk(postgres, {});
        int pickerRows = 0;
        if (outcome == Outcome::Picker)
            testsupport::whenModal([&](QWidget *modal) {
                pickerRows = modal->findChild<QTreeView *>(u"ListView1"_qs)->model()->rowCount();
                QTest::mouseClick(modal->findChild<QPushButton *>(u"Command2"_qs), Qt::LeftButton);
            });
        fixture->search(typed);
        QVERIFY(fixture->reports.reports().isEmpty());
        QVERIFY(fixture->button("Command4")->isEnabled());
        if (outcome == Outcome::NotFound) {
            QCOMPARE(fixture->boxes.calls().size(), 1);
            QCOMPARE(fixture->boxes.calls().at(0).text, u"O associado não foi encontrado em nenhum dos servidores."_qs);
        } else {
            QVERIFY(fixture->boxes.calls().isEmpty());
            QCOMPARE(pickerRows, outcome == Outcome::Picker ? int(Haldor.size()) : 0);
            if (outcome == Outcome::Found)
                QCOMPARE(fixture->box("FXNome")->text(), name);
        }
    }

    void deliveryStoresTheTexts_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<QString>("text");
        for (const bool pg : {false, true}) {
            row(pg, "apostrophes") << u"Zé "_qs + Fifteen + u" d'Ávila"_qs;
            row(pg, "page of apostrophes") << page(u"O'Neil-"_qs);
            row(pg, "NUL characters") << u"a"_qs + Nul + u"b"_qs + Nul;
            row(pg, "accents and right-to-left text") << u"Jose\u0301 \u200F\u05D0\u05D1"_qs;
            row(pg, "comments, backslashes, wildcards") << u"-- /* */ \\ %_[ ] \\'"_qs;
        }
    }

    // The name and company come from the register (MIRVA's), the e-mail is typed over.
    void deliveryStoresTheTexts()
    {
        QFETCH(bool, postgres);
        QFETCH(QString, text);
        if (postgres && !m_database)
            QSKIP("No PostgreSQL test server: make test starts one.");
        static int id = 900;
        const QString company = QString::number(++id);
        const auto fixture = desk(postgres, {member(id, company, u"D-"_qs + company, text, 1, QVariant(), text)});
        fixture->search(company);
        fixture->box("FXEmail")->setText(text);
        fixture->deliver();
        QVERIFY(fixture->reports.reports().isEmpty());
        const QString read = u"SELECT no_tap, nome, empresa, email FROM tbVelunas WHERE socio_id = %1"_qs.arg(id);
        const auto rows = postgres ? m_database->rows(read) : fixture->rows(fixture->files.haldor, read);
        // PostgreSQL cannot hold a NUL: the replacement character stands in its place.
        const QString kept = postgres ? QString(text).replace(QChar(), QChar::ReplacementCharacter) : text;
        QCOMPARE(rows, (QList<QList<QVariant>>{{company, kept, kept, kept}}));
    }
};

QTEST_MAIN(tst_typedText)
#include "tst_typedText.moc"
