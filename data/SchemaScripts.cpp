#include "data/SchemaScripts.h"

#include <QFile>

static void initSchemaResource()
{
    Q_INIT_RESOURCE(schema);
}

namespace schema {

QString script(const char *name)
{
    initSchemaResource();
    QFile file(QStringLiteral(":/velunas/schema/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("the schema script %s is missing from the program", name);
    return QString::fromUtf8(file.readAll());
}

} // namespace schema
