#pragma once
// The window on a terminal: keeps what the engine reports (as the window in
// memory does) and draws a live progress line on standard error.
#include "dados.h"
#include "janela_memoria.h"

#include <QElapsedTimer>
#include <cstdio>

namespace tarvo {

class JanelaConsole : public JanelaMemoria {
public:
    // `dm` is read for the table being copied; `saida` receives the
    // progress (standard error). A terminal gets a line redrawn in place,
    // anything else one line per area.
    JanelaConsole(const Tdm& dm, FILE* saida);

    void defineOnde(const QString& texto) override;
    void defineMaximoTabela(qint64 maximo) override;
    void processaEventos() override;
    void mostraErro(const QString& texto) override;
    int mensagem(const QString& texto, int flags) override;

    // The rows the run will read, counted before it starts: from then on
    // the progress shows an estimate of the time left.
    void definePrevisao(qint64 linhas);
    // The announced step of the run (1 to 20) and whether it is ticked.
    void anuncia(int passo, const QString& area, bool marcada);
    // "tempo restante estimado: 12 s (1500 de 4000 linhas lidas)"; empty
    // before the first row or without a count.
    QString textoEstimativa() const;
    // Ends the progress line.
    void conclui();

private:
    void desenha(bool forcar);
    const Tdm& dm_;
    FILE* saida_;
    bool terminal_;
    int passo_ = 0;
    QString area_;
    QElapsedTimer relogio_;
    qint64 ultimoDesenho_ = -1000;
    int larguraAnterior_ = 0;
    qint64 previstas_ = -1;
    // Rows of the source tables already read, and of the one being read.
    qint64 concluidas_ = 0, emCurso_ = 0;
    QElapsedTimer desdePrevisao_;
};

}  // namespace tarvo
