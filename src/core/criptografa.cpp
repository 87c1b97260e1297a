#include "criptografa.h"

#include <chrono>
#include <optional>
#include <random>

namespace tarvo {

namespace {

// Unicode of the codes 0x80..0x9F of Windows-1252 (0 = undefined there,
// which keeps the C1 control of the same number).
constexpr char16_t kCp1252Alto[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Moves the key position as the format requires: 1, 2, ..., L, 1, 2, ...
class CursorChave {
public:
    explicit CursorChave(const QByteArray& chave)
        : chave_(chave.isEmpty() ? QByteArray(ChavePadrao) : chave) {}
    uint8_t proximo() {
        pos_ = pos_ < chave_.size() ? pos_ + 1 : 1;
        return static_cast<uint8_t>(chave_.at(pos_ - 1));
    }

private:
    QByteArray chave_;
    qsizetype pos_ = 0;
};

std::optional<int> lePar(const QByteArray& texto, qsizetype inicio) {
    const QByteArray par = texto.mid(inicio, 2);
    if (par.isEmpty()) return std::nullopt;
    int valor = 0;
    for (char c : par) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else return std::nullopt;
        valor = valor * 16 + d;
    }
    return valor;
}

void anexaHex(QByteArray& saida, uint8_t byte) {
    static const char digitos[] = "0123456789ABCDEF";
    saida.append(digitos[byte >> 4]);
    saida.append(digitos[byte & 15]);
}

QByteArray descriptografa(const QByteArray& texto, const QByteArray& chave) {
    QByteArray resultado;
    const auto seed = lePar(texto, 0);
    if (!seed) return resultado;
    int anterior = *seed;
    CursorChave cursor(chave);
    qsizetype q = 2;  // 0-based position of the next pair
    // Runs once whatever the length, then while pairs remain.
    do {
        const auto b = lePar(texto, q);
        if (!b) break;
        int t = *b ^ cursor.proximo();
        t = t <= anterior ? t + 255 - anterior : t - anterior;
        resultado.append(static_cast<char>(t));
        anterior = *b;
        q += 2;
    } while (q + 1 < texto.size());
    return resultado;
}

}  // namespace

QByteArray CriptografaComSemente(const QByteArray& texto, const QByteArray& chave, uint8_t semente) {
    QByteArray resultado;
    resultado.reserve(2 + 2 * texto.size());
    anexaHex(resultado, semente);
    CursorChave cursor(chave);
    int anterior = semente;
    for (char ch : texto) {
        int v = (static_cast<uint8_t>(ch) + anterior) % 255;
        v ^= cursor.proximo();
        anexaHex(resultado, static_cast<uint8_t>(v));
        anterior = v;
    }
    return resultado;
}

QByteArray Criptografa(const QByteArray& texto, const QByteArray& chave, bool criptografar) {
    if (!criptografar) return descriptografa(texto, chave);
    static std::mt19937 gerador(
        static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> sorteio(0, 255);
    return CriptografaComSemente(texto, chave, static_cast<uint8_t>(sorteio(gerador)));
}

QString Criptografa(const QString& texto, const QString& chave, bool criptografar) {
    return Cp1252ParaUtf8(Criptografa(Utf8ParaCp1252(texto), Utf8ParaCp1252(chave), criptografar));
}

QByteArray Utf8ParaCp1252(const QString& texto) {
    QByteArray saida;
    saida.reserve(texto.size());
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const char16_t u = texto.at(i).unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            saida.append(static_cast<char>(u));
            continue;
        }
        int codigo = -1;
        for (int k = 0; k < 32 && codigo < 0; ++k)
            if (kCp1252Alto[k] == u || (kCp1252Alto[k] == 0 && u == 0x80 + k)) codigo = 0x80 + k;
        if (codigo < 0 && QChar::isHighSurrogate(u) && i + 1 < texto.size() &&
            texto.at(i + 1).isLowSurrogate())
            ++i;  // one character, one "?"
        saida.append(codigo < 0 ? '?' : static_cast<char>(codigo));
    }
    return saida;
}

QString Cp1252ParaUtf8(const QByteArray& bytes) {
    QString saida;
    saida.reserve(bytes.size());
    for (char c : bytes) {
        const uint8_t b = static_cast<uint8_t>(c);
        if (b >= 0x80 && b < 0xA0 && kCp1252Alto[b - 0x80] != 0)
            saida.append(QChar(kCp1252Alto[b - 0x80]));
        else
            saida.append(QChar(b));
    }
    return saida;
}

}  // namespace tarvo
