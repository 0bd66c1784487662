#include "sitetools/demo/DemoDatabase.h"
#include "tests/support/TestSupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// Spreadsheet exports loaded by the real import tool into a real embedded file.
class tst_MemberImport : public QObject
{
    Q_OBJECT

private slots:
    void loadsTheRegister_data();
    void loadsTheRegister();
    void importCutShortIsClearedByTheNext();
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

// The register file as each test begins: one member, one delivery, and an
// index and a trigger of the site's own on the member table.
QString oldRegister(const QTemporaryDir &dir)
{
    demo::createSchemaOnly(dir.path());
    const QString file = demo::demoFiles(dir.path()).haldor;
    demo::insertMembers(file, {{999, {}, {}, u"Antigo"_qs, {}, {}, {}}});
    testsupport::executeOn(demo::fileConnectionString(file),
                           u"INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no) VALUES (999, 1, "
                           "'2027-01-01 10:00:00', 1); CREATE INDEX ixSite_email ON tbAssociados (email); "
                           "CREATE TRIGGER trSite_nome AFTER UPDATE ON tbAssociados BEGIN SELECT 1; END"_qs);
    return file;
}

// What an import leaves in the file besides the register: the site's own
// objects on the member table, and nothing of its staging or of the old rows.
QStringList besidesTheRegister(const QString &file)
{
    return tableRows(file, u"SELECT name || ' on ' || tbl_name FROM sqlite_schema WHERE name LIKE '%site%' "
                           "OR name LIKE 'carga%' OR name LIKE 'retirado%' ORDER BY name"_qs);
}

const QStringList SiteObjects = {u"ixSite_email on tbAssociados"_qs, u"trSite_nome on tbAssociados"_qs};

// One line for each reason a line is rejected, between two good ones; the
// name on lines 3 and 4 spans both, so the count goes on through it.
QByteArray rejectedLines()
{
    return QByteArray("contacto_id;nome_union;email;activo\n"
                      "5;Rui;;\n"
                      "16;\"Duas\nLinhas\";;1\n"
                      ";Sem Id;;1\n"
                      "x;Abc;;1\n"
                      "2147483648;Grande;;1\n"
                      "-2147483649;Pequeno;;1\n"
                      "6;;;1\n"
                      "7;Eva;;talvez\n"
                      "8;Ana;;1;z\n"
                      "9;Ana;\n"
                      "10;Nul") +
           QByteArray(1, '\0') +
           QByteArray("Byte;;1\n"
                      "11;Tab\tName;;1\n"
                      "12;") +
           QByteArray(3500, 'n') + QByteArray(";;1\n13;Ok;") + QByteArray(201, 'e') +
           QByteArray(";1\n"
                      "5;Repetido;;1\n"
                      "14;Flag;;2147483648\n"
                      "15;Fim;;1\n");
}

const QStringList RejectedLines = {
    u"3:control character (U+000A)"_qs,
    u"5:contacto_id is missing"_qs,
    u"6:\"x\" is not a whole number"_qs,
    u"7:2147483648 is outside the desk's range"_qs,
    u"8:-2147483649 is outside"_qs,
    u"9:nome_union is missing"_qs,
    u"10:activo \"talvez\""_qs,
    u"11:5 fields where the header has 4"_qs,
    u"12:3 fields where the header has 4"_qs,
    u"13:control character (U+0000)"_qs,
    u"14:control character (U+0009)"_qs,
    u"15:nome_union is longer than the 200 characters"_qs,
    u"16:email is longer than the 200"_qs,
    u"17:contacto_id 5 is already on line 2"_qs,
    u"18:activo 2147483648 is outside"_qs,
};

struct ImportRun
{
    int exitCode = -1;
    QString output; // standard output and error
    QList<std::pair<qint64, QString>> rejected;
};

// "CSV" in arguments stands for the export's file, "-" feeds it to standard
// input; the register comes before the last argument.
ImportRun runImport(QStringList arguments, const QString &registerFile, const QByteArray &csv, const QString &folder)
{
    const QString csvFile = folder + u"/export.csv"_qs;
    QFile file(csvFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size())
        qFatal("cannot write %s", qPrintable(csvFile));
    file.close();
    arguments.replaceInStrings(QRegularExpression(u"^CSV$"_qs), csvFile);
    arguments.insert(arguments.size() - 1, registerFile);
    const testsupport::ToolRun tool = testsupport::runTool(testsupport::binaryDir() + u"/import_members"_qs, arguments,
                                                           arguments.last() == u"-"_qs ? csv : QByteArray());
    ImportRun run{tool.exitCode, QString::fromUtf8(tool.output + tool.errors), {}};
    static const QRegularExpression rejection(u"^line (\\d+) rejected: (.*)$"_qs, QRegularExpression::MultilineOption);
    for (auto match = rejection.globalMatch(run.output); match.hasNext();) {
        const QRegularExpressionMatch line = match.next();
        run.rejected.append({line.captured(1).toLongLong(), line.captured(2)});
    }
    return run;
}

} // namespace

void tst_MemberImport::loadsTheRegister_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("rows");     // the register afterwards
    QTest::addColumn<QStringList>("rejected"); // "line:part of the reason"
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("report"); // part of what the tool prints
    QTest::addColumn<QString>("shared"); // the loaded ids MIRVA's register holds too (4 and 5), warned of

    QTest::newRow("CSV UTF-8 of a Portuguese spreadsheet: mark, ';', CRLF, a cell on two lines")
        << QByteArray("\xEF\xBB\xBF"
                      "contacto_id;no_empresa;no_socio;nome_union;empresa;email;activo\r\n"
                      "1;100;5001;José Sá;Têxteis;j@x.pt;1\r\n"
                      "2;200;6002;\"Ana; Conceição\";\"Casa \"\"Nova\"\"\r\nLda.\";;não\r\n")
        << QStringList{u"CSV"_qs}
        << QStringList{u"1|100|5001|José Sá|Têxteis|j@x.pt|1"_qs,
                       u"2|200|6002|Ana; Conceição|Casa \"Nova\"\nLda.|NULL|0"_qs}
        << QStringList() << 0
        << u"Loaded 2 members into %1 (4 lines read, 2 loaded, 0 rejected; UTF-8 with byte-order mark, separator ';')"_qs
        << QString();
    QTest::newRow("CSV UTF-8 with ',', no mark, from standard input")
        << QByteArray("Contacto,Nome,E-mail\n3,João D'Ávila,\n") << QStringList{u"-"_qs}
        << QStringList{u"3|||João D'Ávila||NULL|NULL"_qs} << QStringList() << 0
        << u"(2 lines read, 1 loaded, 0 rejected; UTF-8, separator ',')"_qs << QString();
    QTest::newRow("CSV (separado por ponto e vírgula): Windows-1252, ';', CRLF")
        << QByteArray("Contacto;N\xBA Empresa;N.\xBA S\xF3"
                      "cio;Nome;Firma;E-mail;Ativo;Notas\r\n"
                      "4;400;6004;Jo\xE3o Concei\xE7\xE3o;Caf\xE9 \x80;;n\xE3o;x\r\n")
        << QStringList{u"CSV"_qs} << QStringList{u"4|400|6004|João Conceição|Café €|NULL|0"_qs} << QStringList() << 0
        << u"(2 lines read, 1 loaded, 0 rejected; Windows-1252, separator ';')"_qs << u"4"_qs;
    QTest::newRow("every rejected line listed, nothing loaded")
        << rejectedLines() << QStringList{u"CSV"_qs} << QStringList{OldRow} << RejectedLines << 1
        << u"15 lines were rejected, so nothing was loaded"_qs << QString();
    QTest::newRow("--skip-rejected loads the good lines")
        << rejectedLines() << QStringList{u"--skip-rejected"_qs, u"CSV"_qs}
        << QStringList{u"5|||Rui||NULL|NULL"_qs, u"15|||Fim||NULL|1"_qs} << RejectedLines << 0
        << u"(19 lines read, 2 loaded, 15 rejected; UTF-8, separator ';')"_qs << u"5"_qs;
    QTest::newRow("a quote left open loads nothing, even skipping")
        << QByteArray("id;nome\n1;Ana\n2;\"Maria Costa\n3;Rui\n4;Eva\n")
        << QStringList{u"--skip-rejected"_qs, u"CSV"_qs} << QStringList{OldRow} << QStringList() << 1
        << u"line 3: a quoted field opens here and is never closed"_qs << QString();
    QTest::newRow("a Windows-1252 byte in UTF-8 refused at its line")
        << QByteArray("id;nome\n1;João\n2;Ana\n3;Jo\xE3o\n") << QStringList{u"--skip-rejected"_qs, u"CSV"_qs}
        << QStringList{OldRow} << QStringList() << 1
        << u"line 4 holds a byte that is not UTF-8, but line 2 is written in UTF-8"_qs << QString();
    QTest::newRow("UTF-8 after Windows-1252 refused at its line")
        << QByteArray("id;nome\n1;Jo\xE3o\n2;João\n") << QStringList{u"CSV"_qs} << QStringList{OldRow} << QStringList()
        << 1 << u"line 3 is written in UTF-8, but line 2 holds a byte that is not UTF-8"_qs << QString();
    QTest::newRow("a Windows-1252 byte after the mark refused")
        << QByteArray("\xEF\xBB\xBFid;nome\n1;Jo\xE3o\n") << QStringList{u"CSV"_qs} << QStringList{OldRow}
        << QStringList() << 1 << u"line 2 holds a byte that is not UTF-8, but the file begins with"_qs << QString();
    QTest::newRow("no contacto_id column")
        << QByteArray("nome;email\nAna;a@x\n") << QStringList{u"CSV"_qs} << QStringList{OldRow} << QStringList() << 1
        << u"the header names no contacto_id"_qs << QString();
    QTest::newRow("two columns for one") << QByteArray("id;contacto;nome\n1;1;Ana\n") << QStringList{u"CSV"_qs}
                                         << QStringList{OldRow} << QStringList() << 1 << u"are both contacto_id"_qs
                                         << QString();
    QTest::newRow("every row rejected, even skipping")
        << QByteArray("contacto_id;nome\nabc;Ana\n") << QStringList{u"--skip-rejected"_qs, u"CSV"_qs}
        << QStringList{OldRow} << QStringList{u"2:not a whole number"_qs} << 1 << u"every row was rejected"_qs
        << QString();
    QTest::newRow("header alone") << QByteArray("contacto_id;nome\n") << QStringList{u"CSV"_qs} << QStringList{OldRow}
                                  << QStringList() << 1 << u"the file holds no members"_qs << QString();
#ifdef Q_OS_UNIX
    QTest::newRow("a device refused") << QByteArray() << QStringList{u"/dev/zero"_qs} << QStringList{OldRow}
                                      << QStringList() << 1 << u"/dev/zero is a device"_qs << QString();
#endif
}

void tst_MemberImport::loadsTheRegister()
{
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, rejected);
    QFETCH(int, exitCode);
    QFETCH(QString, report);
    QFETCH(QString, shared);
    QTemporaryDir dir;
    const QString file = oldRegister(dir);
    const QString mirva = demo::demoFiles(dir.path()).mirva;
    demo::insertMembers(mirva, {{4, {}, {}, u"Outra"_qs, {}, {}, {}}, {5, {}, {}, u"Outro"_qs, {}, {}, {}}});

    const ImportRun run = runImport(arguments, file, csv, dir.path());

    QVERIFY2(run.exitCode == exitCode, qPrintable(run.output));
    QVERIFY2(run.output.contains(report.contains(u"%1"_qs) ? report.arg(file) : report), qPrintable(run.output));
    QVERIFY2(shared.isEmpty() ? !run.output.contains(u"warning:"_qs)
                              : run.output.contains(u"values are also in %1 (%2)"_qs.arg(mirva, shared)),
             qPrintable(run.output));
    QCOMPARE(tableRows(file, u"SELECT contacto_id, no_empresa, no_socio, nome_union, empresa, email, activo "
                             "FROM tbAssociados ORDER BY contacto_id"_qs),
             rows);
    QCOMPARE(run.rejected.size(), rejected.size());
    for (qsizetype i = 0; i < rejected.size(); ++i) {
        const QStringList expected = rejected.at(i).split(QLatin1Char(':'));
        QCOMPARE(run.rejected.at(i).first, expected.first().toLongLong());
        QVERIFY2(run.rejected.at(i).second.contains(expected.last()), qPrintable(run.rejected.at(i).second));
    }
    QCOMPARE(tableRows(file, u"SELECT socio_id, convite_no FROM tbVelunas"_qs), QStringList{u"999|1"_qs});
    QCOMPARE(besidesTheRegister(file), SiteObjects);
}

void tst_MemberImport::importCutShortIsClearedByTheNext()
{
    QTemporaryDir dir;
    const QString file = oldRegister(dir);
    QByteArray csv = "contacto_id;nome\n";
    for (int i = 1; i <= 300000; ++i)
        csv += QByteArray::number(i) + ";Associado " + QByteArray::number(i) + '\n';
    QFile export_(dir.filePath(u"large.csv"_qs)); // runImport writes export.csv
    QVERIFY(export_.open(QIODevice::WriteOnly) && export_.write(csv) == csv.size());
    export_.close();

    // Killed while it fills the new register beside the old one; meanwhile a
    // second import is refused, and after it the lock is taken over.
    QProcess import;
    import.start(testsupport::binaryDir() + u"/import_members"_qs, {file, export_.fileName()});
    QVERIFY(import.waitForStarted());
    const QString staged = u"SELECT count(*) FROM sqlite_schema WHERE name = 'carga_tbAssociados'"_qs;
    QTRY_VERIFY_WITH_TIMEOUT(tableRows(file, staged) == QStringList{u"1"_qs}, 60000);
    const ImportRun second = runImport({u"CSV"_qs}, file, "contacto_id;nome\n8;Outra\n", dir.path());
    QCOMPARE(second.exitCode, 1);
    QVERIFY2(second.output.contains(u"another import of"_qs), qPrintable(second.output));
    import.kill();
    QVERIFY(import.waitForFinished());
    QCOMPARE(tableRows(file, u"SELECT * FROM vwAssociados_Completos"_qs), QStringList{u"||Antigo||NULL|999|NULL"_qs});

    const ImportRun run = runImport({u"CSV"_qs}, file, "contacto_id;nome\n7;Nova\n", dir.path());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(tableRows(file, u"SELECT contacto_id, nome_union FROM tbAssociados"_qs), QStringList{u"7|Nova"_qs});
    QCOMPARE(besidesTheRegister(file), SiteObjects);
}

QTEST_MAIN(tst_MemberImport)
#include "tst_MemberImport.moc"
