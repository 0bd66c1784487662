#include "data/DemoDatabase.h"
#include "data/MemberImport.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

// A register loaded from a spreadsheet's CSV export into a real embedded file.
class tst_MemberImport : public QObject
{
    Q_OBJECT

private slots:
    void loadsTheRegister_data();
    void loadsTheRegister();
};

namespace {

QStringList tableRows(const QString &file, const QString &statement)
{
    QStringList rows;
    for (const QList<QVariant> &row : testsupport::rowsOn(demo::fileConnectionString(file), statement)) {
        QStringList fields;
        for (const QVariant &field : row)
            fields << (field.isValid() ? field.toString() : u"NULL"_qs);
        rows << fields.join(QLatin1Char('|'));
    }
    return rows;
}

const QString OldRow = u"999|||Antigo||NULL|NULL"_qs;

} // namespace

void tst_MemberImport::loadsTheRegister_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("rows");     // the register afterwards
    QTest::addColumn<QStringList>("rejected"); // "line:part of the reason"
    QTest::addColumn<QList<qint64>>("shared"); // ids MIRVA's register holds too (4 and 5)

    QTest::newRow("UTF-8 with its mark, ';', the view's names")
        << QByteArray("\xEF\xBB\xBF"
                      "contacto_id;no_empresa;no_socio;nome_union;empresa;email;activo\n"
                      "1;100;5001;José Sá;Têxteis;j@x.pt;1\n")
        << QStringList{u"1|100|5001|José Sá|Têxteis|j@x.pt|1"_qs} << QStringList() << QList<qint64>{};
    QTest::newRow("Windows-1252, ',', CRLF, Portuguese names")
        << QByteArray("Contacto,N\xBA Empresa,N.\xBA S\xF3"
                      "cio,Nome,Firma,E-mail,Ativo,Notas\r\n"
                      "2,200,6002,Jo\xE3o D'\xC1vila,Caf\xE9,,n\xE3o,x\r\n")
        << QStringList{u"2|200|6002|João D'Ávila|Café|NULL|0"_qs} << QStringList() << QList<qint64>{};
    QTest::newRow("quoted separator, quote and newline; lines counted through them")
        << QByteArray("id;nome;empresa\n3;\"Silva; Filhos\";\"Casa \"\"Nova\"\"\nLda.\"\n3;Ana;X\n\n4;Rui;\n")
        << QStringList{u"3|||Silva; Filhos|Casa \"Nova\"\nLda.|NULL|NULL"_qs, u"4|||Rui||NULL|NULL"_qs}
        << QStringList{u"4:is already on line 2"_qs} << QList<qint64>{4};
    QTest::newRow("each rejection with its line")
        << QByteArray("contacto_id;nome_union;activo\n5;Rui;\n;Sem Id;1\nx;Abc;1\n6;;1\n7;Eva;talvez\n8;Ana;1;;z\n"
                      "9;\"Rita")
        << QStringList{u"5|||Rui||NULL|NULL"_qs}
        << QStringList{u"3:contacto_id is missing"_qs,          u"4:\"x\" is not a whole number"_qs,
                       u"5:nome_union is missing"_qs,           u"6:activo \"talvez\""_qs,
                       u"7:5 fields where the header has 3"_qs, u"8:not closed"_qs}
        << QList<qint64>{5};
    QTest::newRow("no contacto_id column: old register kept")
        << QByteArray("nome;email\nAna;a@x\n") << QStringList{OldRow} << QStringList() << QList<qint64>{};
    QTest::newRow("two columns for one: old register kept")
        << QByteArray("id;contacto;nome\n1;1;Ana\n") << QStringList{OldRow} << QStringList() << QList<qint64>{};
    QTest::newRow("every row rejected: old register kept")
        << QByteArray("contacto_id;nome\nabc;Ana\n") << QStringList{OldRow} << QStringList{u"2:not a whole number"_qs}
        << QList<qint64>{};
    QTest::newRow("header alone: old register kept")
        << QByteArray("contacto_id;nome\n") << QStringList{OldRow} << QStringList() << QList<qint64>{};
}

void tst_MemberImport::loadsTheRegister()
{
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, rejected);
    QFETCH(QList<qint64>, shared);
    QTemporaryDir dir;
    demo::createSchemaOnly(dir.path());
    const QString file = demo::demoFiles(dir.path()).haldor;
    demo::insertMembers(file, {{999, {}, {}, u"Antigo"_qs, {}, {}, {}}});
    demo::insertMembers(demo::demoFiles(dir.path()).mirva,
                        {{4, {}, {}, u"Outra"_qs, {}, {}, {}}, {5, {}, {}, u"Outro"_qs, {}, {}, {}}});
    testsupport::executeOn(demo::fileConnectionString(file), u"INSERT INTO tbVelunas (socio_id, base_dados, "
                                                             "data, convite_no) VALUES (999, 1, "
                                                             "'2027-01-01 10:00:00', 1)"_qs);

    const memberimport::Outcome outcome = memberimport::importMembers(file, csv);

    QCOMPARE(outcome.loaded, rows != QStringList{OldRow});
    QCOMPARE(outcome.loaded, outcome.problem.isEmpty());
    QCOMPARE(tableRows(file, u"SELECT contacto_id, no_empresa, no_socio, nome_union, empresa, email, activo "
                             "FROM tbAssociados ORDER BY contacto_id"_qs),
             rows);
    QCOMPARE(outcome.rowsLoaded, outcome.loaded ? rows.size() : 0);
    QCOMPARE(outcome.sharedIds, shared);
    QCOMPARE(outcome.rejected.size(), rejected.size());
    for (qsizetype i = 0; i < rejected.size(); ++i) {
        const QStringList expected = rejected.at(i).split(QLatin1Char(':'));
        QCOMPARE(outcome.rejected.at(i).line, expected.first().toInt());
        QVERIFY2(outcome.rejected.at(i).reason.contains(expected.last()), qPrintable(outcome.rejected.at(i).reason));
    }
    QCOMPARE(tableRows(file, u"SELECT socio_id, convite_no FROM tbVelunas"_qs), QStringList{u"999|1"_qs});
}

QTEST_MAIN(tst_MemberImport)
#include "tst_MemberImport.moc"
