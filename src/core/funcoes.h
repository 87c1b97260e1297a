#pragma once
// Small helpers every part of the importer uses: variant choice and
// defaulting, text search and case, line breaks.
#include <QString>
#include <QStringList>
#include <QVariant>

namespace tarvo {

// A database value: null, unassigned, or a number, text, date-time or boolean.
// QVariant() is "unassigned"; Nulo() is the database null.
using Variante = QVariant;
Variante Nulo();
bool EhNulo(const Variante& v);          // null or unassigned
QString VarianteParaTexto(const Variante& v);  // null and unassigned give ""

// A copy of `seVerdadeiro` when `condicao` holds, else of `seFalso`.
Variante IIf(bool condicao, const Variante& seVerdadeiro, const Variante& seFalso);

// `padrao` when `valor` is null or its text is empty; otherwise `valor`
// unchanged (a blank, a zero and a false are kept).
Variante Nvl(const Variante& valor, const Variante& padrao);

// Index of the first entry equal to `texto` after both are trimmed (codes up
// to 32 at both ends) and upper-cased by plain ASCII rules; -1 when none.
int IndiceNoArray(const QStringList& lista, const QString& texto);

// Upper case by Brazilian Portuguese rules, accents included, whatever the
// machine's locale ("ação" gives "AÇÃO").
QString Maiusculas(const QString& texto);

// `quantidade` line breaks (CR LF each); none for 0 or less.
QString QuebraLinhas(int quantidade);

// The version this build was made with (the project's, "1.0.0.6"); empty
// when the build has none.
QString VersaoDoPrograma();

}  // namespace tarvo
