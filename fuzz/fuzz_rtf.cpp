// The rich-text reader (LeRtf, RtfParaTexto) on any text.
// What one input goes through, and what counts as a finding: exercicios.h.
#include "exercicios.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    tarvo::fuzz::ExercitaRtf(dados, tamanho);
    return 0;
}
