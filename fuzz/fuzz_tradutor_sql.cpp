// The Jet SQL translator on any text, and its translation run on SQLite.
// What one input goes through, and what counts as a finding: exercicios.h.
#include "exercicios.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    tarvo::fuzz::ExercitaTradutorSql(dados, tamanho);
    return 0;
}
