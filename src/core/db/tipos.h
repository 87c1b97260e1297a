#pragma once
// Field kinds of the database layer and the date-time conventions shared by
// both backends.
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace tarvo::db {

// The kinds a field can have, as the old driver knew them.
enum class TipoCampo { Inteiro, Flutuante, Moeda, Booleano, DataHora, Texto, Memo, Binario };

// One column of a table or of a result.
struct InfoColuna {
    QString nome;
    TipoCampo tipo = TipoCampo::Texto;
    int tamanho = 0;        // maximum characters of a Texto column; 0 = no limit
    bool obrigatorio = false;
};

// Maps a declared column type (as written in CREATE TABLE: "TEXT(50)", "MEMO",
// "DATETIME", "CURRENCY", "LONG", ...) to a kind. A bare TEXT is a memo and a
// bare VARCHAR a text of 255, the way Access-to-SQLite exports write them.
// *tamanho receives the length of a text kind (0 otherwise).
TipoCampo TipoDeclarado(const QString& declarado, int* tamanho);

// The name the layer writes for a kind in CREATE TABLE, such that
// TipoDeclarado(NomeTipo(t, n)) gives back t and n.
QString NomeTipo(TipoCampo tipo, int tamanho);

// The zero date-time: 30 December 1899, 00:00:00. Reading an empty date-time
// field gives it, and writing the number 0 stores it.
QDateTime DataHoraZero();

// Date-times are stored as "YYYY-MM-DD HH:MM:SS". All values are UTC so that
// no daylight-saving gap of the machine's zone can shift or refuse them.
QString DataHoraParaIso(const QDateTime& valor);

// Parses "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS]", the same with a "T", and the
// Brazilian forms "dd/MM/yyyy[ HH:mm[:ss]]" and "HH:mm[:ss]" (a time alone is
// a time on the zero date). Gives nothing for any other text.
std::optional<QDateTime> TextoParaDataHora(const QString& texto);

// The old driver's text form of a date-time: "dd/MM/yyyy HH:mm:ss"; the date
// alone when the time is midnight, the time alone when the date is the zero date.
QString DataHoraParaTexto(const QDateTime& valor);

// Days since the zero date, with the time as the fraction (the Access storage).
double DataHoraParaDias(const QDateTime& valor);
// The reverse, rounded to the nearest second as the old driver shows it.
QDateTime DiasParaDataHora(double dias);

}  // namespace tarvo::db
