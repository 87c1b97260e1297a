#include "registro.h"

#include "erros.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <optional>

namespace tarvo {

namespace {

struct Valor {
    QString nome;
    QString bruto;  // as written after "=": "\"text\"" or dword:...
};

struct Chave {
    QString caminho;
    QList<Valor> valores;
};

QString desescapa(const QString& s) {
    QString r;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i) == '\\' && i + 1 < s.size()) ++i;
        r.append(s.at(i));
    }
    return r;
}

QString escapa(const QString& s) {
    QString r = s;
    r.replace("\\", "\\\\").replace("\"", "\\\"");
    return r;
}

// Key paths compare without regard to letter case, as registry keys do.
bool mesmaChave(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QList<Chave> carrega(const QString& arquivo) {
    QList<Chave> chaves;
    QFile f(arquivo);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return chaves;
    const QStringList linhas = QString::fromUtf8(f.readAll()).split('\n');
    for (QString linha : linhas) {
        linha = linha.trimmed();
        if (linha.isEmpty() || linha.startsWith(';') || linha.startsWith('#')) continue;
        if (linha.startsWith('[') && linha.endsWith(']')) {
            chaves.append({linha.mid(1, linha.size() - 2).trimmed(), {}});
            continue;
        }
        if (chaves.isEmpty() || !linha.startsWith('"')) continue;
        // "name"=value, the name with \" escapes.
        qsizetype i = 1;
        while (i < linha.size() && linha.at(i) != '"') i += linha.at(i) == '\\' ? 2 : 1;
        if (i >= linha.size() || i + 1 >= linha.size() || linha.at(i + 1) != '=') continue;
        chaves.last().valores.append({desescapa(linha.mid(1, i - 1)), linha.mid(i + 2).trimmed()});
    }
    return chaves;
}

void salva(const QString& arquivo, const QList<Chave>& chaves) {
    QDir().mkpath(QFileInfo(arquivo).absolutePath());
    QSaveFile f(arquivo);
    if (!f.open(QIODevice::WriteOnly))
        throw Erro(QString("Não foi possível gravar as configurações em '%1': %2")
                       .arg(arquivo, f.errorString()));
    QString texto;
    for (const Chave& c : chaves) {
        texto += '[' + c.caminho + "]\n";
        for (const Valor& v : c.valores) texto += '"' + escapa(v.nome) + "\"=" + v.bruto + '\n';
        texto += '\n';
    }
    f.write(texto.toUtf8());
    if (!f.commit())
        throw Erro(QString("Não foi possível gravar as configurações em '%1': %2")
                       .arg(arquivo, f.errorString()));
}

Chave* procura(QList<Chave>& chaves, const QString& caminho) {
    for (Chave& c : chaves)
        if (mesmaChave(c.caminho, caminho)) return &c;
    return nullptr;
}

}  // namespace

QString ArquivoRegistro(RaizRegistro raiz) {
    if (raiz == RaizRegistro::UsuarioAtual) {
        const QString env = qEnvironmentVariable("TARVO_REGISTRO_USUARIO");
        if (!env.isEmpty()) return env;
        QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (base.isEmpty()) base = QDir::homePath() + "/.config";
        return base + "/tarvo/registro.reg";
    }
    const QString env = qEnvironmentVariable("TARVO_REGISTRO_MAQUINA");
    return env.isEmpty() ? QStringLiteral("/etc/xdg/tarvo/registro.reg") : env;
}

QString LeRegistro(RaizRegistro raiz, const QString& chave, const QString& nome) {
    const QString arquivo = ArquivoRegistro(raiz);
    QList<Chave> chaves = carrega(arquivo);
    Chave* c = procura(chaves, chave);
    if (!c) {
        if (raiz == RaizRegistro::UsuarioAtual) {
            chaves.append({chave, {}});
            try {
                salva(arquivo, chaves);
            } catch (const Erro&) {
                // A store that cannot be written is a key that could not be
                // opened: nothing to read.
            }
        }
        return {};
    }
    for (const Valor& v : c->valores) {
        if (v.nome.compare(nome, Qt::CaseInsensitive) != 0) continue;
        if (v.bruto.size() >= 2 && v.bruto.startsWith('"') && v.bruto.endsWith('"'))
            return desescapa(v.bruto.mid(1, v.bruto.size() - 2));
        throw Erro(QString("O valor '%1' da chave '%2' em '%3' não é um texto.")
                       .arg(nome, chave, arquivo));
    }
    return {};
}

void GravaRegistro(RaizRegistro raiz, const QString& chave, const QString& nome, const QString& valor) {
    const QString arquivo = ArquivoRegistro(raiz);
    QList<Chave> chaves = carrega(arquivo);
    Chave* c = procura(chaves, chave);
    if (!c) {
        chaves.append({chave, {}});
        c = &chaves.last();
    }
    const QString bruto = '"' + escapa(valor) + '"';
    bool achou = false;
    for (Valor& v : c->valores)
        if (v.nome.compare(nome, Qt::CaseInsensitive) == 0) {
            v.bruto = bruto;
            achou = true;
        }
    if (!achou) c->valores.append({nome, bruto});
    salva(arquivo, chaves);
}

QString PegaCaminhoBase() {
    QString caminho = LeRegistro(RaizRegistro::UsuarioAtual, ChaveBaseAntiga, ValorBaseAntiga);
    if (caminho.isEmpty()) caminho = LeRegistro(RaizRegistro::Maquina, ChaveBaseAntiga, ValorBaseAntiga);
    return caminho;
}

}  // namespace tarvo
