#include "rotina.h"

#include "criptografa.h"
#include "erros.h"

#include "db/copia_banco.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace tarvo {

const std::array<AreaImportacao, 20>& OrdemDasAreas() {
    static const std::array<AreaImportacao, 20> ordem{{
        {"Contas de Receitas e Despesas", &Tdm::ImportaPlanoContas},
        {"Agenda de Compromissos", &Tdm::ImportaAgenda},
        {"Centros de Custos", &Tdm::ImportaCentrosCustos},
        {"Históricos (Bancos)", &Tdm::ImportaHistoricos},
        {"Patrimônio", &Tdm::ImportaPatrimonio},
        {"Tarefas", &Tdm::ImportaTarefas},
        {"Contatos e Telefones", &Tdm::ImportaContatos},
        {"Caixa Pessoal", &Tdm::ImportaCaixaPessoal},
        {"Cartões de Crédito", &Tdm::ImportaCartoesCredito},
        {"Contas a Pagar", &Tdm::ImportaContasPagar},
        {"Contas a Receber", &Tdm::ImportaContasReceber},
        {"Controle Bancário", &Tdm::ImportaControleBancario},
        {"Modelos (Veículos)", &Tdm::ImportaModelos},
        {"Montadoras (Veículos)", &Tdm::ImportaMontadoras},
        {"Tipos de Combustíveis (Veículos)", &Tdm::ImportaCombustiveis},
        {"Manutenções (Veículos)", &Tdm::ImportaManutencoes},
        {"Lançamentos (Veículos)", &Tdm::ImportaLancamentosVeiculos},
        {"Cadastro de Veículos", &Tdm::ImportaVeiculos},
        {"Viagens (Veículos)", &Tdm::ImportaViagens},
        {"Investimentos", &Tdm::ImportaInvestimentos},
    }};
    return ordem;
}

QStringList AreasDaLista() {
    return {"Agenda de Compromissos", "Cadastro de Veículos", "Caixa Pessoal", "Cartões de Crédito",
            "Centros de Custos", "Contas a Pagar", "Contas a Receber", "Contas de Receitas e Despesas",
            "Contatos e Telefones", "Controle Bancário", "Históricos (Bancos)", "Investimentos",
            "Lançamentos (Veículos)", "Manutenções (Veículos)", "Modelos (Veículos)", "Montadoras (Veículos)",
            "Patrimônio", "Tarefas", "Tipos de Combustíveis (Veículos)", "Viagens (Veículos)"};
}

QString TextoImportando(const QString& area) { return "Importando " + area + "..."; }

void ExecutaImportacao(Tdm& dm, const std::function<bool(const QString& area)>& AtualizaProgresso) {
    for (const AreaImportacao& a : OrdemDasAreas())
        if (AtualizaProgresso(QString::fromUtf8(a.nome))) (dm.*a.importador)();
}

void OrdenaResumo(QList<LinhaResumo>& linhas) {
    QCollator colacao(QLocale(QLocale::Portuguese, QLocale::Brazil));
    colacao.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(linhas.begin(), linhas.end(), [&](const LinhaResumo& a, const LinhaResumo& b) {
        return colacao.compare(a.cadastro, b.cadastro) < 0;
    });
}

QString SenhaDoUsuario(Tdm& dm) {
    auto q = db::CriaQuery("select * from cfg_global", dm.dbDestino);
    q->open();
    if (q->eof()) return {};
    return Criptografa(q->fieldByName("senha").asString(), QString(ChaveSenhaUsuario), false);
}

void ImportaSemJanela(Tdm& dm, JanelaMemoria& janela, const PedidoImportacao& pedido,
                      const std::function<void(int, const QString&, bool)>& aoAnunciar,
                      ResultadoImportacao* resultado) {
    // Areas are found by their text with letter case ignored, as the
    // wizard finds the entries of its list.
    const QStringList todas = AreasDaLista();
    QStringList marcadas;
    for (const QString& a : pedido.areas) {
        const auto it = std::find_if(todas.begin(), todas.end(),
                                     [&](const QString& t) { return t.compare(a, Qt::CaseInsensitive) == 0; });
        if (it == todas.end())
            throw Erro(QString("Área desconhecida: \"%1\". As áreas são: %2.").arg(a, todas.join("; ")));
        marcadas << *it;
    }

    if (!QFileInfo(pedido.origem).isFile())
        throw Erro("O arquivo de origem não foi encontrado! Por favor, verifique!");
    const qsizetype errosAntes = janela.erros.size();
    if (!dm.ConectaOrigem(pedido.origem)) throw Erro(janela.erros.value(errosAntes));
    if (!janela.selecionaEmpresaPorCodigo(pedido.empresa)) {
        QStringList existentes;
        for (const auto& [nome, codigo] : janela.empresas) existentes << QString("%1 (%2)").arg(codigo).arg(nome);
        throw Erro(QString("A empresa %1 não existe no banco de dados de origem. Empresas: %2.")
                       .arg(pedido.empresa)
                       .arg(existentes.join(", ")));
    }
    dm.cbbAreaChange();

    if (!QFileInfo(pedido.destino).isFile())
        throw Erro("O arquivo de destino não foi encontrado! Por favor, verifique!");
    if (!dm.ConectaDestino(pedido.destino)) throw Erro(janela.erros.value(errosAntes));
    const QString senha = SenhaDoUsuario(dm);
    if (!senha.isEmpty() && senha != pedido.senha)
        throw Erro(pedido.senha.isEmpty() ? QString("Este usuário é protegido por senha: informe a senha.")
                                          : QString("A senha informada esta incorreta !!"));

    ResultadoImportacao local;
    ResultadoImportacao& r = resultado ? *resultado : local;
    const QDateTime instante = pedido.instante.isValid() ? pedido.instante : QDateTime::currentDateTime();
    if (pedido.verifica || pedido.registra) {
        r.preparacao = PreparaImportacao(dm, pedido.origem, pedido.empresa, marcadas.isEmpty() ? todas : marcadas,
                                         instante);
        r.preparada = true;
        const PreparacaoImportacao& p = r.preparacao;
        if (pedido.registra && !p.repetidas.isEmpty() && !pedido.reimporta)
            throw ErroReimportacao(TextoRecusaReimportacao(p.repetidas, p.areas, p.empresa, p.nomeEmpresa),
                                   p.repetidas);
    }
    if (pedido.simulacao) {
        // The destination is read once, into a copy that takes its place.
        r.pastaSimulacao = std::make_shared<QTemporaryDir>(QDir::tempPath() + "/importador-simulacao-XXXXXX");
        if (!r.pastaSimulacao->isValid())
            throw Erro("Não foi possível criar a pasta temporária da simulação: " + r.pastaSimulacao->errorString());
        r.arquivoSimulado = r.pastaSimulacao->filePath(QFileInfo(pedido.destino).fileName());
        db::CopiaBancoAberto(dm.dbDestino, r.arquivoSimulado);
        if (!dm.ConectaDestino(r.arquivoSimulado)) throw Erro(janela.erros.value(errosAntes));
    } else if (pedido.copiaSeguranca) {
        r.preparacao.copiaSeguranca = FazCopiaSeguranca(dm.dbDestino, instante);
    }
    if (r.preparada && pedido.aoPreparar) pedido.aoPreparar(r.preparacao);

    janela.excecoes.clear();
    // The window may hold the rows of earlier runs: this run's come after.
    const qsizetype resumoAntes = janela.resumo.size();
    int passo = 0;
    ExecutaImportacao(dm, [&](const QString& area) {
        const bool marcada = marcadas.isEmpty() || marcadas.contains(area);
        janela.defineOnde(TextoImportando(area));
        if (aoAnunciar) aoAnunciar(++passo, area, marcada);
        return marcada;
    });
    r.concluida = true;
    if (pedido.aoConcluir) pedido.aoConcluir();
    if (r.preparada) {
        const QList<VerificacaoArea> v =
            ConcluiImportacao(dm, r.preparacao, janela.resumo.mid(resumoAntes), pedido.registra);
        if (pedido.verifica) r.verificacao = v;
    }
}

}  // namespace tarvo
