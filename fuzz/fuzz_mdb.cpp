// The .mdb reader (ArquivoJet) on any bytes, written to a temporary file.
// What one input goes through, and what counts as a finding: exercicios.h.
#include "exercicios.h"

#include <string>
#include <unistd.h>

namespace {

QString caminhoTemporario;

void ApagaTemporario() { QFile::remove(caminhoTemporario); }

}  // namespace

// One file for the whole run, overwritten by each input and removed at exit.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* pasta = getenv("TMPDIR");
    std::string modelo = std::string(pasta && *pasta ? pasta : "/tmp") + "/fuzz_mdb-XXXXXX";
    const int fd = mkstemp(modelo.data());
    tarvo::fuzz::Exige(fd >= 0, "o arquivo temporário é criado");
    close(fd);
    caminhoTemporario = QString::fromStdString(modelo);
    atexit(ApagaTemporario);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    tarvo::fuzz::ExercitaMdb(caminhoTemporario, dados, tamanho);
    return 0;
}
