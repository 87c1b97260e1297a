#include "cenario.h"

#include "amostra/gerador.h"
#include "apoio/bancos.h"
#include "janela.h"
#include "registro.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

namespace tarvo::testes {

void DialogosRoteiro::anota(QWidget* pai, const QString& linha) {
    registro << linha;
    janelaVisivel << (pai && pai->window()->isVisible());
}

int DialogosRoteiro::mensagem(QWidget* pai, const QString& titulo, const QString& texto, int flags) {
    anota(pai, QString("mensagem|%1|%2|%3").arg(titulo, texto).arg(flags));
    if ((flags & 0xF) == mb::Ok) return mb::RespostaOk;
    if (respostas.isEmpty()) {
        faltouResposta = true;
        return mb::RespostaNao;
    }
    return respostas.takeFirst();
}

QString DialogosRoteiro::pedeTexto(QWidget* pai, const QString& titulo, const QString& rotulo,
                                   const QString& inicial) {
    anota(pai, QString("texto|%1|%2|%3").arg(titulo, rotulo, inicial));
    if (textos.isEmpty()) {
        faltouResposta = true;
        return {};
    }
    const QString t = textos.takeFirst();
    return t == Cancelar ? QString() : t;
}

QString DialogosRoteiro::abreArquivo(QWidget* pai, const QString& filtro) {
    anota(pai, "arquivo|" + filtro);
    if (arquivos.isEmpty()) {
        faltouResposta = true;
        return {};
    }
    return arquivos.takeFirst();
}

QString DialogosRoteiro::salvaArquivo(QWidget* pai, const QString& titulo, const QString& filtro,
                                      const QString& nomeSugerido) {
    anota(pai, QString("salvar|%1|%2|%3").arg(titulo, filtro, nomeSugerido));
    if (arquivosSalvar.isEmpty()) {
        faltouResposta = true;
        return {};
    }
    return arquivosSalvar.takeFirst();
}

void DialogosRoteiro::relataErro(QWidget* pai, const QString& texto) { anota(pai, "erro|" + texto); }

namespace {

// The sample databases, written once for all tests (writing a new user's
// database is slow: it syncs every step) and copied by each scenario.
struct Modelos {
    Modelos() {
        amostra::OpcoesAntiga opcoes;
        opcoes.empresas = 2;
        opcoes.linhas = 10;
        amostra::GeraBaseAntiga(antiga(), opcoes);
        amostra::GeraBaseNova(ana(), {});
        amostra::GeraBaseNova(bruno(), amostra::SenhaDemoBruno);
    }
    QString antiga() const { return pasta.arquivo("TarvoPessoal.mdb"); }
    QString ana() const { return pasta.arquivo("ana.tpv"); }
    QString bruno() const { return pasta.arquivo("bruno.tpv"); }
    PastaTemporaria pasta;
};

const Modelos& modelos() {
    static const Modelos m;
    return m;
}

void Copia(const QString& de, const QString& para) {
    QDir().mkpath(QFileInfo(para).absolutePath());
    if (!QFile::copy(de, para)) qFatal("não foi possível copiar %s para %s", qPrintable(de), qPrintable(para));
}

}  // namespace

Cenario::Cenario(bool comOrigem) {
    qputenv("TARVO_REGISTRO_USUARIO", pasta.arquivo("registro-usuario.reg").toUtf8());
    qputenv("TARVO_REGISTRO_MAQUINA", pasta.arquivo("registro-maquina.reg").toUtf8());
    antiga = pasta.arquivo("TarvoPessoal.mdb");
    ana = pasta.arquivo("usuarios/ana.tpv");
    bruno = pasta.arquivo("usuarios/bruno.tpv");
    Copia(modelos().antiga(), antiga);
    Copia(modelos().ana(), ana);
    Copia(modelos().bruno(), bruno);
    usuarios({ana, bruno});
    if (comOrigem) registraOrigem(antiga);
}

void Cenario::novaBase(const QString& caminho) { Copia(modelos().ana(), caminho); }

void Cenario::usuarios(const QStringList& caminhos) { amostra::GeraBaseUsuarios(pasta.caminho(), caminhos, true); }

void Cenario::registraOrigem(const QString& caminho) {
    GravaRegistro(RaizRegistro::UsuarioAtual, ChaveBaseAntiga, ValorBaseAntiga, caminho);
}

gui::TfrmPrincipal& Cenario::abre(const QString& versao) {
    dm.DataModuleCreate(pasta.caminho());
    janela = std::make_unique<gui::TfrmPrincipal>(dm, dialogos, versao);
    janela->protege([this] { janela->FormCreate(); });
    janela->show();
    return *janela;
}

gui::TfrmPrincipal& Cenario::reabre() {
    janela.reset();
    return abre();
}

void Cenario::marca(const QString& area) {
    const auto itens = janela->lboxImportacao->findItems(area, Qt::MatchExactly);
    if (itens.size() == 1) itens.first()->setCheckState(Qt::Checked);
}

void Cenario::inicia() { janela->btnAvancar->click(); }

qint64 Cenario::linhas(const QString& arquivo, const QString& tabela, const QString& filtro) {
    auto c = AbreBanco(arquivo, SenhaBancoDados);
    return ValorSqlite(*c, "select count(*) from " + tabela + filtro).toLongLong();
}

QList<QPair<qint64, QString>> Cenario::empresas() {
    auto c = AbreBanco(antiga, SenhaBancoDados);
    QList<QPair<qint64, QString>> lista;
    for (const QString& linha : LinhasSqlite(*c, "select codigo, nome from empresa order by codigo").split('\n'))
        lista.append({linha.section('|', 0, 0).toLongLong(), linha.section('|', 1)});
    return lista;
}

}  // namespace tarvo::testes
