// Whatever is typed or pasted at the desk is only text: each row runs through
// the real window on every backend.
#include "tests/support/DeskFixture.h"

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

// The desk sends each apostrophe to SQL Server as two joins around CHAR(39);
// the scripted responder runs the batch on SQLite, whose expressions nest at most 1000 deep.
bool tooDeepForTheResponder(testsupport::Backend backend, const QString &text)
{
    return backend == testsupport::Backend::SqlServer && 2 * text.count(u'\'') >= 1000;
}
const char *const TooDeep = "the scripted responder's SQLite cannot nest the joins of thousands of apostrophes";
} // namespace

class tst_typedText : public QObject
{
    Q_OBJECT

public:
    explicit tst_typedText(testsupport::Backend backend) : m_backend(backend) {}

private:
    testsupport::Backend m_backend;

    // A desk whose HALDOR holds Haldor and MIRVA `mirva`.
    std::unique_ptr<testsupport::DeskFixture> desk(const QList<demo::Member> &mirva)
    {
        auto fixture = std::make_unique<testsupport::DeskFixture>(m_backend);
        fixture->addHaldor(Haldor);
        fixture->addMirva(mirva);
        return fixture;
    }

private slots:
    void searchEndsInAnOrdinaryOutcome_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("name");
        QTest::newRow("one apostrophe") << u"d'ávila"_qs << Outcome::Found << Haldor.at(0).nome;
        QTest::newRow("fifteen apostrophes") << Fifteen << Outcome::Found << Haldor.at(1).nome;
        QTest::newRow("page of apostrophes") << page(u"O'Neil "_qs) << Outcome::NotFound << QString();
        QTest::newRow("page of percent signs") << page(u"%"_qs) << Outcome::Picker << QString();
        QTest::newRow("page of letters between percent signs") << page(u"a%"_qs) << Outcome::NotFound << QString();
        QTest::newRow("underscore") << u"_"_qs << Outcome::Picker << QString();
        QTest::newRow("NUL characters") << u"ana"_qs + Nul + u"d"_qs << Outcome::NotFound << QString();
        QTest::newRow("combining accent") << u"jose\u0301 mart"_qs << Outcome::Found << Haldor.at(2).nome;
        QTest::newRow("right-to-left mark") << u"\u200Fana"_qs << Outcome::NotFound << QString();
        QTest::newRow("comments") << u"1001 -- /* ana */"_qs << Outcome::NotFound << QString();
        QTest::newRow("statement") << u"'; DELETE FROM tbVelunas; --"_qs << Outcome::NotFound << QString();
        QTest::newRow("backslash and bracket") << u"ana\\ [d"_qs << Outcome::NotFound << QString();
    }

    void searchEndsInAnOrdinaryOutcome()
    {
        QFETCH(QString, typed);
        QFETCH(Outcome, outcome);
        QFETCH(QString, name);
        if (tooDeepForTheResponder(m_backend, typed))
            QSKIP(TooDeep);
        const auto fixture = desk({});
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
        QTest::addColumn<QString>("text");
        QTest::newRow("apostrophes") << u"Zé "_qs + Fifteen + u" d'Ávila"_qs;
        QTest::newRow("page of apostrophes") << page(u"O'Neil-"_qs);
        QTest::newRow("NUL characters") << u"a"_qs + Nul + u"b"_qs + Nul;
        QTest::newRow("accents and right-to-left text") << u"Jose\u0301 \u200F\u05D0\u05D1"_qs;
        QTest::newRow("comments, backslashes, wildcards") << u"-- /* */ \\ %_[ ] \\'"_qs;
    }

    // The name and company come from the register (MIRVA's), the e-mail is typed over.
    void deliveryStoresTheTexts()
    {
        QFETCH(QString, text);
        if (tooDeepForTheResponder(m_backend, text))
            QSKIP(TooDeep);
        static int id = 900;
        const QString company = QString::number(++id);
        const auto fixture = desk({member(id, company, u"D-"_qs + company, text, 1, QVariant(), text)});
        fixture->search(company);
        fixture->box("FXEmail")->setText(text);
        fixture->deliver();
        QVERIFY(fixture->reports.reports().isEmpty());
        const QString read = u"SELECT no_tap, nome, empresa, email FROM tbVelunas WHERE socio_id = %1"_qs.arg(id);
        const auto rows = fixture->rows(read);
        // PostgreSQL cannot hold a NUL: the replacement character stands in its place.
        const QString kept = m_backend == testsupport::Backend::Postgres
                                 ? QString(text).replace(QChar(), QChar::ReplacementCharacter)
                                 : text;
        QCOMPARE(rows, (QList<QList<QVariant>>{{company, kept, kept, kept}}));
    }
};

VELUNAS_DESK_TEST_MAIN(tst_typedText)
#include "tst_typedText.moc"
