// The member import on registers of 100,000 and 1,000,000 members, each
// replacing a register as large: its time and peak resident memory, and
// meanwhile a desk searching members by company number and delivering to
// them in the same file, with the longest a search and a delivery took. Also
// the import's peak memory on a line holding a 100 MB field.
#include "BenchFigures.h"
#include "BenchRegisters.h"

#include "app/frmMain.h"
#include "data/Data.h"
#include "sitetools/demo/DemoDatabase.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

extern char **environ;

namespace {

struct Child
{
    pid_t pid = -1;
    QElapsedTimer clock;
    double peakMiB = 0; // its own high-water mark, as last read
    double seconds = 0;
    int exitCode = -1;
};

Child spawn(const QString &program, const QStringList &arguments)
{
    QList<QByteArray> texts{program.toLocal8Bit()};
    for (const QString &argument : arguments)
        texts << argument.toLocal8Bit();
    std::vector<char *> argv;
    for (QByteArray &text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    Child child;
    child.clock.start();
    if (posix_spawn(&child.pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        child.pid = -1;
    return child;
}

// Reads the child's peak resident size from its own mm (VmHWM): the
// resource use wait4 reports would count the benchmark's pages it was
// spawned from. Whether it has ended, and then how.
bool ended(Child &child)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(child.pid));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                child.peakMiB = std::max(child.peakMiB, line.mid(6).trimmed().split(' ').first().toDouble() / 1024);
    int exit = 0;
    if (waitpid(child.pid, &exit, WNOHANG) != child.pid)
        return false;
    child.seconds = child.clock.nsecsElapsed() / 1e9;
    child.exitCode = WIFEXITED(exit) ? WEXITSTATUS(exit) : -1;
    return true;
}

void writeCsv(const QString &path, const QList<demo::Member> &members)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write("contacto_id;no_empresa;no_socio;nome;empresa;email;activo\n");
    for (const demo::Member &m : members)
        file.write(QStringLiteral("%1;%2;%3;%4;\"%5\";%6;1\n")
                       .arg(m.contactoId)
                       .arg(m.noEmpresa, m.noSocio, m.nome, m.empresa, m.email.toString())
                       .toUtf8());
}

QString importTool()
{
    return testsupport::binaryDir() + QStringLiteral("/import_members");
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int largest = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    testsupport::MessageBoxRecorder boxes;
    testsupport::ReportCapture reports; // a failed delivery reports, and gives no number

    std::printf("\n| register | import replacing one as large (s) | its peak memory (MiB) | desk meanwhile: searches "
                "and deliveries | longest search (ms) | longest delivery (ms) | deliveries failed |\n"
                "|---:|---:|---:|---:|---:|---:|---:|\n");
    for (int size : {100000, 1000000}) {
        if (size > largest)
            break;
        const bench::EmptyRegisters registers;
        const demo::Files &files = registers.files;
        const demo::ConnectionStrings &strings = registers.strings;
        std::fprintf(stderr, "building a register of %d members...\n", size);
        const QList<demo::Member> members = bench::registerOf(size, 1, QStringLiteral("H"));
        demo::insertMembers(files.haldor, members);
        const QString csv = registers.dir.filePath(QStringLiteral("socios.csv"));
        writeCsv(csv, members);
        Data().setConnectionStrings(strings.sqlServer, strings.haldor, strings.mirva);

        frmMain window;
        window.show();
        auto *entry = window.findChild<QLineEdit *>(QStringLiteral("FXNo_TAP"));
        auto *deliver = window.findChild<QPushButton *>(QStringLiteral("Command2"));
        auto *number = window.findChild<QLineEdit *>(QStringLiteral("FXConvite_No"));
        QApplication::processEvents();

        Child child = spawn(importTool(), {files.haldor, csv});
        double longestSearch = 0, longestDelivery = 0;
        int deliveries = 0, given = 0; // numbers given, one more each time
        while (child.pid > 0 && !ended(child)) {
            entry->setText(QString::number(100000 + deliveries % size));
            QApplication::processEvents();
            QElapsedTimer timer;
            timer.start();
            QTest::keyClick(entry, Qt::Key_Return);
            longestSearch = std::max(longestSearch, timer.nsecsElapsed() / 1e6);
            number->clear();
            timer.restart();
            QTest::mouseClick(deliver, Qt::LeftButton);
            longestDelivery = std::max(longestDelivery, timer.nsecsElapsed() / 1e6);
            if (number->text().toInt() == given + 1)
                ++given;
            ++deliveries;
        }
        const int failed = deliveries - given;
        std::printf("| %d | %.1f | %.0f | %d | %.0f | %.0f | %d%s |\n", size, child.seconds, child.peakMiB, deliveries,
                    longestSearch, longestDelivery, failed, child.exitCode == 0 ? "" : " (the import failed)");
        std::fflush(stdout);
    }
    Data().setConnectionStrings(QString(), QString(), QString());

    // One line holding a 100 MB field: refused, in bounded memory.
    const bench::EmptyRegisters registers;
    const QString csv = registers.dir.filePath(QStringLiteral("campo.csv"));
    QFile file(csv);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(csv));
    file.write("contacto_id;nome\n1;");
    const QByteArray block(1 << 20, 'n');
    for (int i = 0; i < 100; ++i)
        file.write(block);
    file.write("\n");
    file.close();
    Child child = spawn(importTool(), {registers.files.haldor, csv});
    while (child.pid > 0 && !ended(child))
        QThread::msleep(5);
    std::printf("\nThe import's peak memory on a line with a 100 MB field (refused): %.0f MiB\n", child.peakMiB);
    return 0;
}
