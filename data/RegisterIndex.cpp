#include "data/RegisterIndex.h"

#include "data/SchemaScripts.h"
#include "platform/db/sql/SqlTokenizer.h"
#include "platform/db/sqlite/FoldedIndex.h"
#include "platform/db/sqlite/FoldedIndexUpkeep.h"

#include <mutex>

namespace registers {

namespace {

using platform::sql::Token;
using platform::sql::TokenKind;

// The CREATE VIEW statements of a shipped script, by view name.
QList<platform::sqlite::FoldedIndexDefinition::View> viewsOf(const QString &script)
{
    QList<platform::sqlite::FoldedIndexDefinition::View> views;
    QString statement;
    QList<Token> words;
    auto take = [&] {
        if (words.size() > 2 && words.at(0).is(TokenKind::Identifier, u"CREATE") &&
            words.at(1).is(TokenKind::Identifier, u"VIEW"))
            views.append({words.at(2).text, statement.trimmed()});
        statement.clear();
        words.clear();
    };
    for (const Token &token : platform::sql::tokenize(script)) {
        if (token.isPunctuation(QLatin1Char(';'))) {
            take();
            continue;
        }
        statement += token.text;
        if (token.kind != TokenKind::Whitespace && token.kind != TokenKind::Comment)
            words << token;
    }
    take();
    return views;
}

} // namespace

const platform::sqlite::FoldedIndexDefinition &memberIndex()
{
    // v3: a lookup table per number, so a register filled anew is swapped in
    // by renaming; v2 had an index per number; v1 was kept by triggers that
    // called the desk's folding.
    static const platform::sqlite::FoldedIndexDefinition definition{
        QStringLiteral("tbAssociados"),
        QStringLiteral("contacto_id"),
        QStringLiteral("nome_union"),
        {QStringLiteral("no_empresa"), QStringLiteral("no_socio")},
        viewsOf(schema::script("sqlite-members.sql")),
        QStringLiteral("ixAssociados_nome_v3"),
        QStringLiteral("ixAssociados_numeros_v3"),
        QStringLiteral("ixAssociados_pendentes_v3"),
        QStringLiteral("ixAssociados_versao_v3"),
        {QStringLiteral("ixAssociados_nome_v*"), QStringLiteral("ixAssociados_numeros_v*"),
         QStringLiteral("ixAssociados_pendentes_v*"), QStringLiteral("ixAssociados_versao_v*")},
    };
    return definition;
}

void installMemberIndex()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        platform::sqlite::registerConnectionHooks(QStringLiteral("member register index"), [] {
            return std::make_unique<platform::sqlite::FoldedIndex>(memberIndex());
        });
    });
}

bool bringIndexUpToDate(sqlite3 *db)
{
    return platform::sqlite::bringFoldedIndexUpToDate(db, memberIndex());
}

} // namespace registers
