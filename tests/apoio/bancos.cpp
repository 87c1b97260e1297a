#include "bancos.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QStringList>

namespace tarvo::testes {

void CriaBanco(const QString& arquivo, const QString& sql, const QString& senha) {
    sqlite3* db = nullptr;
    if (sqlite3_open(arquivo.toUtf8().constData(), &db) != SQLITE_OK) {
        ADD_FAILURE() << "cannot create " << arquivo.toStdString();
        sqlite3_close(db);
        return;
    }
    char* erro = nullptr;
    if (sqlite3_exec(db, ("BEGIN;" + sql + ";COMMIT;").toUtf8().constData(), nullptr, nullptr, &erro) != SQLITE_OK)
        ADD_FAILURE() << "schema of " << arquivo.toStdString() << ": " << (erro ? erro : "?");
    sqlite3_free(erro);
    sqlite3_close(db);
    if (!senha.isEmpty()) {
        db::Conexao c;
        c.setConnectionString(db::MontaConnectionString(arquivo, QString()));
        c.open();
        db::GravaSenhaBanco(c, senha);
    }
}

std::unique_ptr<db::Conexao> AbreBanco(const QString& arquivo, const QString& senha) {
    auto c = std::make_unique<db::Conexao>();
    c->setConnectionString(db::MontaConnectionString(arquivo, senha));
    c->open();
    return c;
}

void ExecutaSqlite(db::Conexao& conexao, const QString& sql) {
    char* erro = nullptr;
    if (sqlite3_exec(conexao.handle(), sql.toUtf8().constData(), nullptr, nullptr, &erro) != SQLITE_OK)
        ADD_FAILURE() << sql.toStdString() << ": " << (erro ? erro : "?");
    sqlite3_free(erro);
}

QString LinhasSqlite(db::Conexao& conexao, const QString& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(conexao.handle(), sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(conexao.handle());
        sqlite3_finalize(st);
        return {};
    }
    QStringList linhas;
    while (sqlite3_step(st) == SQLITE_ROW) {
        QStringList cols;
        for (int i = 0; i < sqlite3_column_count(st); ++i)
            cols << (sqlite3_column_type(st, i) == SQLITE_NULL
                         ? QString("<null>")
                         : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i))));
        linhas << cols.join('|');
    }
    sqlite3_finalize(st);
    return linhas.join('\n');
}

QString ValorSqlite(db::Conexao& conexao, const QString& sql) {
    const QString r = LinhasSqlite(conexao, sql);
    if (r.isEmpty()) return "<nenhuma>";
    return r.section('\n', 0, 0).section('|', 0, 0);
}

}  // namespace tarvo::testes
