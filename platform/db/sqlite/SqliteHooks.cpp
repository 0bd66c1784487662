#include "platform/db/sqlite/SqliteHooks.h"

#include <QList>
#include <QMutex>

#include <utility>

namespace platform::sqlite {

namespace {

struct Registered
{
    QString name;
    ConnectionHooksFactory factory;
};

// Connections may be opened on several threads (a test's desks).
QMutex &registryLock()
{
    static QMutex lock;
    return lock;
}

QList<Registered> &registry()
{
    static QList<Registered> factories;
    return factories;
}

} // namespace

void registerConnectionHooks(const QString &name, ConnectionHooksFactory factory)
{
    QMutexLocker locker(&registryLock());
    QList<Registered> &factories = registry();
    for (qsizetype i = 0; i < factories.size(); ++i)
        if (factories.at(i).name == name) {
            if (factory)
                factories[i].factory = std::move(factory);
            else
                factories.removeAt(i);
            return;
        }
    if (factory)
        factories.append({name, std::move(factory)});
}

std::vector<std::unique_ptr<ConnectionHooks>> makeConnectionHooks()
{
    QList<Registered> factories;
    {
        QMutexLocker locker(&registryLock());
        factories = registry();
    }
    std::vector<std::unique_ptr<ConnectionHooks>> hooks;
    for (const Registered &registered : factories)
        if (auto made = registered.factory())
            hooks.push_back(std::move(made));
    return hooks;
}

} // namespace platform::sqlite
