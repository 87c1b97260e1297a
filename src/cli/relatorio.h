#pragma once
// The summary table and the exception log as text.
#include "janela_memoria.h"

#include <QString>

namespace tarvo {

// The summary rows as a table with the grid's four columns, sorted as the
// grid sorts them, then `meio` (the verification, the copy; may be empty),
// then the exception log exactly as the memo holds it (CR LF line ends).
QString TextoRelatorio(const JanelaMemoria& janela, const QString& meio = {});

}  // namespace tarvo
