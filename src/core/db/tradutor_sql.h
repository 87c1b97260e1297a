#pragma once
// Translation of the Jet SQL that the program speaks into SQLite SQL.
#include <QString>
#include <QStringList>

struct sqlite3;

namespace tarvo::db {

enum class TipoComando { Selecao, Exclusao, Atualizacao, Insercao };

struct SqlTraduzido {
    QString sql;            // the SQLite statement
    TipoComando tipo = TipoComando::Selecao;
    // For "select * from T ..." (the only form a dataset can edit or append
    // to): T as written. Empty for any other statement. The translated text
    // then begins exactly with "SELECT * FROM ".
    QString tabelaBase;
    QStringList tabelas;    // every table the statement names, as written
};

// Translates one Jet SQL statement. Throws ErroBanco whose message names the
// construct it does not know (a function, a keyword, a character); it never
// guesses. The result is valid only on a connection where
// RegistraFuncoesJet() has run.
SqlTraduzido TraduzJetSql(const QString& jet);

// Registers on an SQLite connection the functions and the collation that
// translated statements use (Jet's Format, "+" and text comparison).
// Throws ErroBanco when SQLite refuses them.
void RegistraFuncoesJet(sqlite3* db);

}  // namespace tarvo::db
