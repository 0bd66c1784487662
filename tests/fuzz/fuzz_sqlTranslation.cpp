// Statements reach the tokenizer and both translations with whatever the
// operator typed pasted in: any text must come through without fault, and a
// typed text must stay one literal of exactly that text.
#include "platform/db/sql/LiteralFolding.h"
#include "platform/db/sql/PostgresTranslation.h"
#include "platform/db/sql/SqlTokenizer.h"
#include "platform/db/sql/TsqlTranslation.h"
#include "platform/runtime/RuntimeError.h"
#include "platform/runtime/TrimSpaces.h"
#include "sqltext/modCode.h"
#include "tests/fuzz/FuzzCheck.h"

using namespace platform;

namespace {

// An undeclared @name or nesting past the bound is refused before an engine
// sees the statement: a clean outcome.
void translateBoth(const QString &statement)
{
    try {
        translateForPostgres(statement);
    } catch (const RuntimeError &) {
    }
    try {
        sql::translateTsql(statement);
    } catch (const RuntimeError &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(fuzz::bytesOf(data, size));

    QString joined;
    for (const sql::Token &token : sql::tokenize(text)) {
        fuzz::check(!token.text.isEmpty(), "no empty token", text);
        joined += token.text;
    }
    fuzz::check(joined == text, "tokens join back into the text", text);
    translateBoth(text);

    // The text as the desk pastes it: one literal, folded into plain quotes.
    const QString typed = platform::trimSpaces(text);
    const QString literal = modCode::SqlLiteral(QVariant(text), modCode::LiteralKind::TextOrEmpty);
    const QString select = QStringLiteral("SELECT ");
    QString forPostgres = typed;
    forPostgres.replace(QChar(), QChar::ReplacementCharacter);
    fuzz::check(translateForPostgres(select + literal) == select + sql::quoted(forPostgres),
                "a typed text is one PostgreSQL literal", text);
    const QString embedded =
        typed.contains(QChar()) ? QStringLiteral("CAST(X'%1' AS TEXT)").arg(QString::fromLatin1(typed.toUtf8().toHex()))
                                : sql::quoted(typed);
    fuzz::check(sql::translateTsql(select + literal) == select + embedded, "a typed text is one embedded literal",
                text);
    translateBoth(QStringLiteral("SELECT * FROM vwAssociados_Completos WHERE nome_union like ") +
                  modCode::SqlLiteral(QVariant(text), modCode::LiteralKind::LikePattern));
    return 0;
}
