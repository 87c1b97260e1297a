#pragma once
// The window held in memory: what the data module showed, for tests and
// for the command-line runner to build on.
#include "janela.h"

#include <QList>
#include <QPair>
#include <QStringList>
#include <functional>

namespace tarvo {

struct LinhaResumo {
    QString cadastro, total, importados, naoImportados;
    bool operator==(const LinhaResumo&) const = default;
};

class JanelaMemoria : public Janela {
public:
    QString textoOnde() const override { return onde; }
    void defineOnde(const QString& texto) override { onde = texto; }
    void definePosicaoTabela(qint64 p) override { posicaoTabela = p; ++reinicios; }
    void defineMaximoTabela(qint64 m) override { maximoTabela = m; }
    void avancaTabela() override {
        ++posicaoTabela;
        ++avancos;
    }
    void adicionaResumo(const QString& c, const QString& t, const QString& i, const QString& n) override {
        resumo.append({c, t, i, n});
    }
    void adicionaExcecao(const QString& entrada) override { excecoes.append(entrada); }
    void limpaEmpresas() override {
        empresas.clear();
        selecionada = -1;
    }
    void adicionaEmpresa(const QString& nome, qint64 codigo) override { empresas.append({nome, codigo}); }
    int quantidadeEmpresas() const override { return static_cast<int>(empresas.size()); }
    // Throws Erro for an index outside the list, as the list control does.
    void selecionaEmpresa(int indice) override;
    std::optional<qint64> empresaSelecionada() const override;
    void mostraErro(const QString& texto) override { erros.append(texto); }
    int mensagem(const QString& texto, int flags) override;
    void processaEventos() override { ++eventos; }

    // The memo's whole text: every line followed by CR LF.
    QString textoExcecoes() const;
    // Selects the company with `codigo`; false when there is none.
    bool selecionaEmpresaPorCodigo(qint64 codigo);

    QString onde;
    qint64 posicaoTabela = 0, maximoTabela = 0;
    int reinicios = 0, avancos = 0, eventos = 0;
    QList<LinhaResumo> resumo;
    QStringList excecoes;
    QList<QPair<QString, qint64>> empresas;
    int selecionada = -1;
    QStringList erros;
    QList<QPair<QString, int>> mensagens;
    // Answers message boxes; by default the first button (OK / Yes).
    std::function<int(const QString&, int)> responde;
};

}  // namespace tarvo
