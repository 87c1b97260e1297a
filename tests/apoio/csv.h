#pragma once
// Reader of the CSV files that mdb-export writes: comma separated, fields in
// double quotes when they hold text or dates (quotes doubled inside, CR and
// LF kept as they are), an empty unquoted field for NULL.
#include <QByteArray>
#include <QList>
#include <QString>

namespace tarvo::testes {

struct CampoCsv {
    QByteArray bytes;    // the value, quotes removed; raw bytes, not decoded
    bool aspas = false;  // it was written between quotes
    // An empty unquoted field: how the export writes NULL.
    bool nulo() const { return !aspas && bytes.isEmpty(); }
    QString texto() const { return QString::fromUtf8(bytes); }
};

using LinhaCsv = QList<CampoCsv>;

// Parses the whole file into records (header included). Records end at LF
// or CR LF outside quotes; a last record without a line break counts too.
// Fails the running test (and returns what was read) on an unterminated
// quote or a quote in the middle of an unquoted field.
QList<LinhaCsv> LeCsv(const QByteArray& conteudo);

}  // namespace tarvo::testes
