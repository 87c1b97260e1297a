#pragma once
// An old database, a new user's database and a data module connected to
// both, with the window in memory: the stage of the engine's tests.
#include "apoio/bancos.h"
#include "apoio/pasta_temporaria.h"
#include "dados.h"
#include "janela_memoria.h"

namespace tarvo::testes {

class AmbienteImportacao {
public:
    // Creates both databases from the project's schemas; the old one gets
    // companies 1 "Casa" and 3 "Oficina". Connects the module and chooses
    // company `empresa`.
    explicit AmbienteImportacao(qint64 empresa = 3);

    // Plain SQLite on each side, for preparing and checking.
    void origem(const QString& sql);
    void destino(const QString& sql);
    QString linhasDestino(const QString& sql);
    QString valorDestino(const QString& sql);
    // Announces an area as the wizard does before an importer runs.
    void anuncia(const QString& area) { janela.defineOnde("Importando " + area + "..."); }

    PastaTemporaria pasta;
    QString arquivoOrigem, arquivoDestino;
    JanelaMemoria janela;
    Tdm dm{&janela};
};

}  // namespace tarvo::testes
