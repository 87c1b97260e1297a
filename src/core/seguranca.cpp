#include "seguranca.h"

#include "db/consulta.h"
#include "db/copia_banco.h"
#include "funcoes.h"
#include "rotina.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace tarvo {

namespace {

constexpr char kMarcaCopia[] = ".antes-da-importacao-";

QString CaminhoAbsoluto(const QString& caminho) {
    const QFileInfo info(caminho);
    const QString canonico = info.canonicalFilePath();
    return canonico.isEmpty() ? info.absoluteFilePath() : canonico;
}

// "05/03/2024 às 14:07": the clock of the machine that imported, as the
// record keeps it with its offset.
QString TextoQuando(const QString& iso) {
    const QDateTime d = QDateTime::fromString(iso, Qt::ISODate);
    if (!d.isValid()) return iso;
    return d.toString("dd/MM/yyyy 'às' HH:mm");
}

// "em 05/03/2024 às 14:07 (Caixa Pessoal; Tarefas) e em ..."
QString TextoOcasioes(const QList<RegistroImportacao>& repetidas, const QStringList& areas) {
    QStringList partes;
    for (const RegistroImportacao& r : repetidas)
        partes << "em " + TextoQuando(r.quando) + " (" + AreasRepetidas({r}, areas).join("; ") + ")";
    if (partes.size() <= 1) return partes.join(QString());
    const QString ultima = partes.takeLast();
    return partes.join(", ") + " e " + ultima;
}

QString TextoEmpresa(qint64 empresa, const QString& nome) {
    return nome.isEmpty() ? QString("A empresa %1").arg(empresa) : QString("A empresa %1 (%2)").arg(empresa).arg(nome);
}

// The copy's name; the `n`th copy of the same second gets "-n" after the
// time.
QString NomeCopia(const QString& destino, const QDateTime& instante, int n) {
    const QFileInfo info(destino);
    const QString sufixo = info.suffix();
    const QString base = sufixo.isEmpty() ? info.fileName() : info.completeBaseName();
    const QString nome = base + kMarcaCopia + instante.toString("yyyyMMdd-HHmmss") +
                         (n > 1 ? "-" + QString::number(n) : QString()) + (sufixo.isEmpty() ? QString() : "." + sufixo);
    return QDir(info.path()).filePath(nome);
}

}  // namespace

QString SomaDoArquivo(const QString& caminho, const std::function<void()>& aCadaBloco) {
    QFile f(caminho);
    auto falha = [&] {
        throw Erro(QString("Não foi possível ler o arquivo '%1': %2.").arg(caminho, f.errorString()));
    };
    if (!f.open(QIODevice::ReadOnly)) falha();
    QCryptographicHash soma(QCryptographicHash::Blake2b_256);
    QByteArray bloco(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 lidos = f.read(bloco.data(), bloco.size());
        if (lidos < 0) falha();
        if (lidos == 0) break;
        soma.addData(QByteArrayView(bloco.constData(), lidos));
        if (aCadaBloco) aCadaBloco();
    }
    return QString::fromLatin1(soma.result().toHex());
}

QList<RegistroImportacao> ImportacoesRegistradas(db::Conexao& destino) {
    QList<RegistroImportacao> registros;
    if (!destino.existeTabela(TabelaImportacoes)) return registros;
    auto q = db::CriaQuery(QString("select * from %1 order by id").arg(TabelaImportacoes), destino);
    q->open();
    while (!q->eof()) {
        RegistroImportacao r;
        r.id = q->fieldByName("id").asInteger();
        r.quando = q->fieldByName("quando").asString();
        r.origem = q->fieldByName("origem").asString();
        r.somaOrigem = q->fieldByName("soma_origem").asString();
        r.empresa = q->fieldByName("empresa").asInteger();
        r.areas = q->fieldByName("areas").asString().split(';', Qt::SkipEmptyParts);
        r.contagens = q->fieldByName("contagens").asString();
        registros.append(r);
        q->next();
    }
    return registros;
}

QList<RegistroImportacao> ImportacoesRepetidas(const QList<RegistroImportacao>& registradas,
                                               const QString& somaOrigem, const QString& origem, qint64 empresa,
                                               const QStringList& areas) {
    const QString caminho = CaminhoAbsoluto(origem);
    QList<RegistroImportacao> repetidas;
    for (const RegistroImportacao& r : registradas) {
        const bool mesmaOrigem = (!somaOrigem.isEmpty() && r.somaOrigem == somaOrigem) || r.origem == caminho;
        if (mesmaOrigem && r.empresa == empresa && !AreasRepetidas({r}, areas).isEmpty()) repetidas.append(r);
    }
    return repetidas;
}

QStringList AreasRepetidas(const QList<RegistroImportacao>& repetidas, const QStringList& areas) {
    QStringList comuns;
    for (const AreaImportacao& a : OrdemDasAreas()) {
        const QString area = QString::fromUtf8(a.nome);
        if (!areas.contains(area, Qt::CaseInsensitive)) continue;
        for (const RegistroImportacao& r : repetidas)
            if (r.areas.contains(area, Qt::CaseInsensitive)) {
                comuns << area;
                break;
            }
    }
    return comuns;
}

QString ContagensEmJson(const QList<LinhaResumo>& resumo, const QStringList& areas) {
    QJsonObject contagens;
    for (const QString& area : areas) {
        qint64 lidas = 0, importadas = 0, recusadas = 0;
        for (const LinhaResumo& l : resumo) {
            if (l.cadastro != area) continue;
            lidas += l.total.toLongLong();
            importadas += l.importados.toLongLong();
            recusadas += l.naoImportados.toLongLong();
        }
        contagens.insert(area, QJsonObject{{"lidas", lidas}, {"importadas", importadas}, {"recusadas", recusadas}});
    }
    return QString::fromUtf8(QJsonDocument(contagens).toJson(QJsonDocument::Compact));
}

void RegistraImportacao(db::Conexao& destino, RegistroImportacao& registro) {
    destino.executaNativo(QString("CREATE TABLE IF NOT EXISTS %1 (id INTEGER PRIMARY KEY, quando VARCHAR(40), "
                                  "origem LONGTEXT, soma_origem VARCHAR(64), empresa INTEGER, areas LONGTEXT, "
                                  "contagens LONGTEXT)")
                              .arg(TabelaImportacoes));
    const QString maior = db::PegaValor(QString("select max(id) as m from %1").arg(TabelaImportacoes), "m", destino);
    registro.id = maior.toLongLong() + 1;
    auto q = db::CriaQuery(QString("select * from %1").arg(TabelaImportacoes), destino);
    q->open();
    q->append();
    q->fieldByName("id").setAsInteger(registro.id);
    q->fieldByName("quando").setAsString(registro.quando);
    q->fieldByName("origem").setAsString(registro.origem);
    q->fieldByName("soma_origem").setAsString(registro.somaOrigem);
    q->fieldByName("empresa").setAsInteger(registro.empresa);
    q->fieldByName("areas").setAsString(registro.areas.join(';'));
    q->fieldByName("contagens").setAsString(registro.contagens);
    q->post();
}

QString TextoPerguntaReimportacao(const QList<RegistroImportacao>& repetidas, const QStringList& areas,
                                  qint64 empresa, const QString& nomeEmpresa) {
    return TextoEmpresa(empresa, nomeEmpresa) + " deste banco de dados de origem já foi importada para este usuário " +
           TextoOcasioes(repetidas, areas) + "!" + QuebraLinhas(2) +
           "Importar novamente irá duplicar as contas e os lançamentos já importados, e os saldos ficarão "
           "incorretos." +
           QuebraLinhas(2) + "Deseja importar novamente mesmo assim ?";
}

QString TextoRecusaReimportacao(const QList<RegistroImportacao>& repetidas, const QStringList& areas,
                                qint64 empresa, const QString& nomeEmpresa) {
    return TextoEmpresa(empresa, nomeEmpresa) + " deste banco de dados de origem já foi importada para este destino " +
           TextoOcasioes(repetidas, areas) +
           ". Importar novamente duplicaria as contas e os lançamentos já importados, e os saldos ficariam "
           "incorretos.";
}

QString NomeCopiaSeguranca(const QString& destino, const QDateTime& instante) {
    return NomeCopia(destino, instante, 1);
}

std::optional<QString> DestinoDaCopia(const QString& copia) {
    const QFileInfo info(copia);
    static const QRegularExpression padrao(QString("^(.+)%1\\d{8}-\\d{6}(?:-\\d+)?(\\.[^.]+)?$")
                                               .arg(QRegularExpression::escape(kMarcaCopia)));
    const QRegularExpressionMatch m = padrao.match(info.fileName());
    if (!m.hasMatch()) return std::nullopt;
    return QDir(info.path()).filePath(m.captured(1) + m.captured(2));
}

QString FazCopiaSeguranca(db::Conexao& destino, const QDateTime& instante,
                          const std::function<void()>& aCadaBloco) {
    const QString arquivo = QFileInfo(destino.arquivo()).absoluteFilePath();
    QString copia = NomeCopia(arquivo, instante, 1);
    for (int n = 2; QFileInfo::exists(copia); ++n) copia = NomeCopia(arquivo, instante, n);
    try {
        db::CopiaBancoAberto(destino, copia, aCadaBloco);
    } catch (const ErroBanco& e) {
        throw ErroBanco("A cópia de segurança do destino não pôde ser feita, e nada foi importado. " + e.mensagem());
    }
    return copia;
}

void DesfazImportacao(const QString& copia, const QString& destino) { db::RestauraBanco(copia, destino); }

qint64 PreparacaoImportacao::linhasPrevistas() const {
    qint64 n = 0;
    for (const PrevisaoArea& a : previsao) n += a.aLer();
    return n;
}

PreparacaoImportacao PreparaImportacao(Tdm& dm, const QString& origem, qint64 empresa, const QStringList& areas,
                                       const QDateTime& instante) {
    PreparacaoImportacao p;
    p.origem = CaminhoAbsoluto(origem);
    p.empresa = empresa;
    p.destino = CaminhoAbsoluto(dm.dbDestino.arquivo());
    // Whole seconds: the record and the reports keep no more.
    p.instante = instante.isValid() ? instante : QDateTime::currentDateTime();
    p.instante = p.instante.addMSecs(-p.instante.time().msec());
    p.previsao = PreveOrigem(dm.dbOrigem, empresa, areas);
    for (const PrevisaoArea& a : p.previsao) p.areas << a.area;
    p.somaOrigem = SomaDoArquivo(origem, [&dm] { dm.DeixaEventos(); });
    p.nomeEmpresa = db::PegaValor("select nome from empresa where codigo=" + QString::number(empresa), "nome",
                                  dm.dbOrigem);
    p.repetidas = ImportacoesRepetidas(ImportacoesRegistradas(dm.dbDestino), p.somaOrigem, p.origem, empresa, p.areas);
    p.contasAntes = ContasDoDestino(dm.dbDestino);
    return p;
}

QList<VerificacaoArea> ConcluiImportacao(Tdm& dm, const PreparacaoImportacao& preparacao,
                                         const QList<LinhaResumo>& resumo, bool registra) {
    const QList<VerificacaoArea> verificacao =
        VerificaImportacao(dm.dbDestino, preparacao.previsao, preparacao.contasAntes, resumo);
    if (registra) {
        RegistroImportacao r;
        r.quando = preparacao.instante.toOffsetFromUtc(preparacao.instante.offsetFromUtc()).toString(Qt::ISODate);
        r.origem = preparacao.origem;
        r.somaOrigem = preparacao.somaOrigem;
        r.empresa = preparacao.empresa;
        r.areas = preparacao.areas;
        r.contagens = ContagensEmJson(resumo, preparacao.areas);
        RegistraImportacao(dm.dbDestino, r);
    }
    return verificacao;
}

}  // namespace tarvo
