#pragma once
// The summary table and the exception log as text.
#include "janela_memoria.h"

#include <QString>

namespace tarvo {

// The summary rows as a table with the grid's four columns, sorted as the
// grid sorts them, followed by the exception log exactly as the memo holds
// it (CR LF line ends).
QString TextoRelatorio(const JanelaMemoria& janela);

}  // namespace tarvo
