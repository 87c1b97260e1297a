#pragma once
// Exceptions of the core. Every message is Portuguese and meant for the user:
// it names the file, the table or the field and the cause.
#include <QString>
#include <stdexcept>

namespace tarvo {

// Base of every error the core raises. what() gives the message in UTF-8.
class Erro : public std::runtime_error {
public:
    explicit Erro(const QString& mensagem)
        : std::runtime_error(mensagem.toStdString()), mensagem_(mensagem) {}
    const QString& mensagem() const noexcept { return mensagem_; }

private:
    QString mensagem_;
};

// A failure of the database layer: connection, statement, field or save.
// `codigoSqlite` is SQLite's result code when SQLite reported it (0 for the
// layer's own refusals, such as a value a field cannot take).
class ErroBanco : public Erro {
public:
    explicit ErroBanco(const QString& mensagem, int codigoSqlite = 0) : Erro(mensagem), codigo_(codigoSqlite) {}
    int codigoSqlite() const noexcept { return codigo_; }

private:
    int codigo_;
};

}  // namespace tarvo
