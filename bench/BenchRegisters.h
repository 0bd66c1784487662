#pragma once

// The registers the benchmark's parts fill: members with unique company
// numbers from 100,000, so a number typed at the desk finds one member.

#include "sitetools/demo/DemoDatabase.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

namespace bench {

// A throw-away folder of the two embedded registers, made empty.
struct EmptyRegisters
{
    EmptyRegisters()
    {
        demo::createSchemaOnly(dir.path());
        files = demo::demoFiles(dir.path());
        strings = demo::connectionStrings(dir.path());
    }

    QTemporaryDir dir;
    demo::Files files;
    demo::ConnectionStrings strings;
};

// Members whose names hold chosen words, so that a name matches 1, 1,000 or
// 100,000 of them.
inline QList<demo::Member> registerOf(int count, qint64 firstId, const QString &prefix)
{
    QList<demo::Member> members;
    members.reserve(count);
    for (int i = 0; i < count; ++i) {
        demo::Member m;
        m.contactoId = firstId + i;
        m.noEmpresa = QString::number(100000 + i);
        m.noSocio = prefix + QString::number(i);
        QString name = QStringLiteral("Sócio %1 Ribeiro").arg(i);
        if (i < 1000)
            name += QStringLiteral(" Milhar");
        if (i < 100000)
            name += QStringLiteral(" Centena");
        if (i == count / 2)
            name = QStringLiteral("Zacarias Único Quintela");
        m.nome = name;
        m.empresa = QStringLiteral("Empresa %1, Lda.").arg(i % 997);
        m.email = QStringLiteral("socio%1@exemplo.pt").arg(i);
        m.activo = 1;
        members.append(m);
    }
    return members;
}

} // namespace bench
