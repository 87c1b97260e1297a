#pragma once
// Lets GoogleTest print summary rows readably in failure messages.
#include "janela_memoria.h"

#include <ostream>

namespace tarvo {

// Found by argument-dependent lookup, so it lives beside LinhaResumo.
inline void PrintTo(const LinhaResumo& linha, std::ostream* os) {
    *os << "{\"" << linha.cadastro.toStdString() << "\", " << linha.total.toStdString() << ", "
        << linha.importados.toStdString() << ", " << linha.naoImportados.toStdString() << "}";
}

}  // namespace tarvo
