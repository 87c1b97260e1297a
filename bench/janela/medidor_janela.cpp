// medidor-janela: runs a whole import through the wizard (normally on the
// offscreen platform) and writes what the import benchmark reports for the
// command-line runner, plus how long the window went without handling its
// events.
//
//   medidor-janela PASTA SAIDA.json
//
// PASTA is laid out as `importador-amostra demo` makes it (Dados/Usuarios.zqd,
// registro-usuario.reg naming the old database, usuarios/ana.tpv); the
// benchmark puts its own old database and a fresh destination there. The
// wizard starts as the program does, the first company and ana are chosen,
// every area is ticked, and the start button is clicked. Message boxes are
// answered OK/Yes; an input box (a password) gets the empty text.
//
// The gaps are measured by a zero-interval timer: it fires each time the
// event loop runs, whether from the run's own processing of pending events
// or from the loop itself, so the longest time between two firings is the
// longest the window stayed frozen.
#include "dados.h"
#include "dialogos.h"
#include "principal.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QStackedWidget>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

using namespace tarvo;
using namespace tarvo::gui;

namespace {

class DialogosAutomaticos : public Dialogos {
public:
    int mensagem(QWidget*, const QString& titulo, const QString& texto, int flags) override {
        registro.append(titulo + ": " + texto);
        // Yes where there is a Yes, otherwise OK.
        const int botoes = flags & 0x0F;
        return botoes == mb::SimNao || botoes == 0x3 ? mb::RespostaSim : mb::RespostaOk;
    }
    QString pedeTexto(QWidget*, const QString& titulo, const QString& rotulo, const QString&) override {
        registro.append(titulo + ": " + rotulo);
        return {};
    }
    QString abreArquivo(QWidget*, const QString&) override { return {}; }
    QString salvaArquivo(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    void relataErro(QWidget*, const QString& texto) override { erros.append(texto); }

    QStringList registro;
    QStringList erros;
};

// The window, with the moments each area is announced (the total bar
// moves on, with the area's name in lbOnde).
class JanelaMedida : public TfrmPrincipal {
public:
    JanelaMedida(Tdm& dm, Dialogos& dialogos) : TfrmPrincipal(dm, dialogos) {
        QObject::connect(pbTotal, &QProgressBar::valueChanged, [this](int valor) {
            if (valor > 0) anuncios.append({lbOnde->text(), relogio.nsecsElapsed()});
        });
    }

    QElapsedTimer relogio;
    QList<QPair<QString, qint64>> anuncios;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "uso: medidor-janela PASTA SAIDA.json\n");
        return 2;
    }
    const QString pasta = QDir(args[1]).absolutePath();
    qputenv("TARVO_REGISTRO_USUARIO", QFile::encodeName(pasta + "/registro-usuario.reg"));

    DialogosAutomaticos dialogos;
    Tdm dm;
    dm.DataModuleCreate(pasta);
    JanelaMedida janela(dm, dialogos);
    janela.FormCreate();
    janela.show();
    int ana = -1;
    for (int i = 0; i < janela.ListaDestinos.size(); ++i)
        if (CaminhoDaEntrada(janela.ListaDestinos[i]) == QDir(pasta).filePath("usuarios/ana.tpv")) ana = i;
    if (janela.pcPrincipal->currentWidget() != janela.tabConfig || ana < 0) {
        std::fprintf(stderr, "o assistente não abriu na configuração com ana.tpv entre os destinos (%s)\n",
                     qPrintable(janela.ListaDestinos.join(", ")));
        return 3;
    }
    janela.cbbDestino->setCurrentIndex(ana);
    janela.cboxTudo->setChecked(true);
    janela.cboxTudoClick();

    // The longest gap between two turns of the event loop, during the run,
    // and the five longest with what the window said when each began.
    QElapsedTimer relogioLaco;
    qint64 ultimo = -1, maiorIntervalo = 0, voltas = 0;
    QString ondeNoUltimo = "início do clique";
    QList<QPair<qint64, QString>> maiores;
    auto anotaIntervalo = [&](qint64 intervalo, qint64 desde) {
        maiores.append({intervalo, QString("%1 (a %2 s do início)")
                                       .arg(ondeNoUltimo)
                                       .arg(double(desde) / 1e9, 0, 'f', 3)});
        std::sort(maiores.begin(), maiores.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        if (maiores.size() > 5) maiores.removeLast();
    };
    bool correndo = false;
    QTimer laco;
    laco.setInterval(0);
    QObject::connect(&laco, &QTimer::timeout, [&] {
        const qint64 agora = relogioLaco.nsecsElapsed();
        if (correndo && ultimo >= 0) {
            maiorIntervalo = std::max(maiorIntervalo, agora - ultimo);
            anotaIntervalo(agora - ultimo, ultimo);
        }
        ultimo = agora;
        ondeNoUltimo = janela.pcPrincipal->currentWidget() == janela.tabImporta ? janela.lbOnde->text()
                                                                                 : QString("fora da página de progresso");
        ++voltas;
    });

    qint64 inicio = 0, fim = 0;
    QTimer::singleShot(0, [&] {
        relogioLaco.start();
        laco.start();
        janela.relogio.start();
        correndo = true;
        ultimo = relogioLaco.nsecsElapsed();
        inicio = janela.relogio.nsecsElapsed();
        janela.btnAvancarClick();
        fim = janela.relogio.nsecsElapsed();
        // The gap up to the click's end counts too.
        maiorIntervalo = std::max(maiorIntervalo, relogioLaco.nsecsElapsed() - ultimo);
        anotaIntervalo(relogioLaco.nsecsElapsed() - ultimo, ultimo);
        correndo = false;
        laco.stop();
        app.quit();
    });
    app.exec();

    // Seconds per area: from its announcement to the next one (the last to
    // the end of the click), as the command-line runner measures them.
    QJsonArray areas;
    for (qsizetype i = 0; i < janela.anuncios.size(); ++i) {
        const qint64 ate = i + 1 < janela.anuncios.size() ? janela.anuncios[i + 1].second : fim;
        QString nome = janela.anuncios[i].first.mid(11);
        nome.chop(3);
        qint64 linhas = 0;
        for (const LinhaResumo& l : janela.linhasResumo())
            if (l.cadastro == nome) linhas += l.total.toLongLong();
        areas.append(QJsonObject{{"area", nome},
                                 {"linhas", double(linhas)},
                                 {"segundos", double(ate - janela.anuncios[i].second) / 1e9}});
    }
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    const QJsonObject saida{
        {"areas", areas},
        {"segundos", double(fim - inicio) / 1e9},
        {"maior_congelamento_ms", double(maiorIntervalo) / 1e6},
        {"maiores_congelamentos", [&] {
             QJsonArray a;
             for (const auto& [ns, onde] : maiores) a.append(QJsonObject{{"ms", double(ns) / 1e6}, {"onde", onde}});
             return a;
         }()},
        {"voltas_do_laco", double(voltas)},
        {"pico_rss_kib", double(uso.ru_maxrss)},
        {"pagina_final", QString(janela.pcPrincipal->currentWidget() == janela.tabFinalizada ? "tabFinalizada" : "outra")},
        {"dialogos", QJsonArray::fromStringList(dialogos.registro)},
        {"erros", QJsonArray::fromStringList(dialogos.erros)},
    };
    QFile arquivo(args[2]);
    if (!arquivo.open(QIODevice::WriteOnly) || arquivo.write(QJsonDocument(saida).toJson()) < 0) {
        std::fprintf(stderr, "não foi possível gravar %s\n", qPrintable(args[2]));
        return 3;
    }
    return dialogos.erros.isEmpty() && janela.pcPrincipal->currentWidget() == janela.tabFinalizada ? 0 : 1;
}
