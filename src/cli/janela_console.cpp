#include "janela_console.h"

#include "rotina.h"
#include "verificacao.h"

#include <unistd.h>

namespace tarvo {

JanelaConsole::JanelaConsole(const Tdm& dm, FILE* saida)
    : dm_(dm), saida_(saida), terminal_(isatty(fileno(saida)) == 1) {
    relogio_.start();
}

void JanelaConsole::defineOnde(const QString& texto) { JanelaMemoria::defineOnde(texto); }

void JanelaConsole::definePrevisao(qint64 linhas) {
    previstas_ = linhas;
    concluidas_ = emCurso_ = 0;
    desdePrevisao_.start();
}

QString JanelaConsole::textoEstimativa() const {
    if (previstas_ < 0 || !desdePrevisao_.isValid()) return {};
    const qint64 lidas = concluidas_ + std::clamp<qint64>(posicaoTabela, 0, emCurso_);
    const auto segundos = EstimaSegundosRestantes(lidas, previstas_, desdePrevisao_.elapsed());
    if (!segundos) return {};
    return QString("tempo restante estimado: %1 (%2 de %3 linhas lidas)")
        .arg(TextoTempoRestante(*segundos))
        .arg(std::min<qint64>(lidas, previstas_))
        .arg(previstas_);
}

void JanelaConsole::anuncia(int passo, const QString& area, bool marcada) {
    passo_ = passo;
    area_ = area;
    if (!marcada) return;
    if (terminal_) {
        desenha(true);
    } else {
        std::fprintf(saida_, "[%2d/20] %s\n", passo, qUtf8Printable(TextoImportando(area)));
        // A log gets the estimate on a line of its own, under the area.
        const QString estimativa = textoEstimativa();
        if (!estimativa.isEmpty()) std::fprintf(saida_, "        %s\n", qUtf8Printable(estimativa));
        std::fflush(saida_);
    }
}

void JanelaConsole::defineMaximoTabela(qint64 maximo) {
    // A new source table opens: the one before it was read to its end.
    concluidas_ += emCurso_;
    emCurso_ = maximo;
    JanelaMemoria::defineMaximoTabela(maximo);
    desenha(true);
}

void JanelaConsole::processaEventos() {
    JanelaMemoria::processaEventos();
    desenha(false);
}

void JanelaConsole::desenha(bool forcar) {
    if (!terminal_) return;
    const qint64 agora = relogio_.elapsed();
    if (!forcar && agora - ultimoDesenho_ < 100) return;
    ultimoDesenho_ = agora;
    const qint64 feitos = std::min(posicaoTabela, maximoTabela);
    const int largura = 24;
    const int cheios = maximoTabela > 0 ? static_cast<int>(feitos * largura / maximoTabela) : 0;
    const QString barra = QString(cheios, QChar(u'█')) + QString(largura - cheios, QChar(u'░'));
    const QString tabela = dm_.quOrigem.active() ? dm_.quOrigem.tabelaBase() : QString();
    QString linha = QString("[%1/20] %2 %3 %4 %5/%6")
                        .arg(passo_, 2)
                        .arg(area_, barra, tabela)
                        .arg(feitos)
                        .arg(maximoTabela);
    if (const QString estimativa = textoEstimativa(); !estimativa.isEmpty())
        linha += " — " + estimativa.section(" (", 0, 0).replace("tempo restante estimado:", "restam");
    const int largo = static_cast<int>(linha.size());
    if (largo < larguraAnterior_) linha += QString(larguraAnterior_ - largo, ' ');
    larguraAnterior_ = largo;
    std::fprintf(saida_, "\r%s", qUtf8Printable(linha));
    std::fflush(saida_);
}

void JanelaConsole::conclui() {
    if (terminal_ && larguraAnterior_ > 0) std::fprintf(saida_, "\n");
    larguraAnterior_ = 0;
    std::fflush(saida_);
}

void JanelaConsole::mostraErro(const QString& texto) {
    JanelaMemoria::mostraErro(texto);
}

int JanelaConsole::mensagem(const QString& texto, int flags) {
    conclui();
    std::fprintf(saida_, "Aviso: %s\n", qUtf8Printable(texto));
    std::fflush(saida_);
    return JanelaMemoria::mensagem(texto, flags);
}

}  // namespace tarvo
