#include "criptografa.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace tarvo;

namespace {

// Worked by hand from the format: V = ((C + R) mod 255) xor K, R = V.
// Seed 0x10, key "K" (0x4B), text "AB": 'A' 0x41: (0x41+0x10)%255 = 0x51,
// 0x51^0x4B = 0x1A; 'B' 0x42: (0x42+0x1A) = 0x5C, 0x5C^0x4B = 0x17.
struct Vetor {
    const char* nome;
    QByteArray texto;
    QByteArray chave;
    uint8_t semente;
    QByteArray esperado;
};

const Vetor kVetores[] = {
    {"chave de um caractere", "AB", "K", 0x10, "101A17"},
    // key "xyz" longer than the text "a": only 'x' (0x78) is used:
    // (0x61 + 0xFF) % 255 = 0x61, 0x61 ^ 0x78 = 0x19.
    {"chave maior que o texto", "a", "xyz", 0xFF, "FF19"},
    // key "ab" cycles a, b, a: seed 0. 'z' 0x7A: 0x7A^0x61 = 0x1B;
    // 'z': (0x7A+0x1B) = 0x95, ^0x62 = 0xF7; 'z': (0x7A+0xF7) % 255 = 0x72, ^0x61 = 0x13.
    {"chave ciclica", "zzz", "ab", 0x00, "001BF713"},
    {"texto vazio", "", "k", 0xAB, "AB"},
    // (0xFF + 0x00) % 255 = 0, 0 ^ 'k' (0x6B) = 0x6B.
    {"modulo 255 chega a zero", "\xFF", "k", 0x00, "006B"},
};

}  // namespace

TEST(Criptografa, VetoresCalculadosAMao) {
    for (const auto& v : kVetores) {
        SCOPED_TRACE(v.nome);
        EXPECT_EQ(CriptografaComSemente(v.texto, v.chave, v.semente), v.esperado);
        EXPECT_EQ(Criptografa(v.esperado, v.chave, false), v.texto);
    }
}

TEST(Criptografa, ChaveVaziaUsaAPadraoE53oByteVoltaAoPrimeiro) {
    const QByteArray texto(60, 'x');
    const QByteArray comPadrao = CriptografaComSemente(texto, ChavePadrao, 7);
    EXPECT_EQ(CriptografaComSemente(texto, "", 7), comPadrao);
    EXPECT_EQ(comPadrao.size(), 2 + 2 * 60);
    // Byte 53 uses key character 1 again: with the same previous byte it
    // scrambles the same way. Check it directly from the format.
    const int r52 = comPadrao.mid(2 + 2 * 51, 2).toInt(nullptr, 16);
    const int v53 = ((('x' + r52) % 255) ^ static_cast<uint8_t>(ChavePadrao[0]));
    EXPECT_EQ(comPadrao.mid(2 + 2 * 52, 2).toInt(nullptr, 16), v53);
    EXPECT_EQ(Criptografa(comPadrao, "", false), texto);
}

TEST(Criptografa, IdaEVoltaDeTodoCodigoDe1a254) {
    QByteArray todos;
    for (int c = 1; c <= 254; ++c) todos.append(static_cast<char>(c));
    for (int semente : {0, 1, 128, 254, 255}) {
        SCOPED_TRACE(semente);
        const QByteArray s = CriptografaComSemente(todos, ChaveSenhaUsuario, static_cast<uint8_t>(semente));
        EXPECT_EQ(Criptografa(s, ChaveSenhaUsuario, false), todos);
    }
}

TEST(Criptografa, Codigos0e255DependemDoByteAnterior) {
    // Code 0 comes back as 255 unless the previous byte is 255.
    EXPECT_EQ(Criptografa(CriptografaComSemente(QByteArray(1, '\0'), "k", 0x10), "k", false), QByteArray(1, '\xFF'));
    EXPECT_EQ(Criptografa(CriptografaComSemente(QByteArray(1, '\0'), "k", 0xFF), "k", false), QByteArray(1, '\0'));
    // Code 255 comes back as 0 when the previous byte is 255, else as itself.
    EXPECT_EQ(Criptografa(CriptografaComSemente(QByteArray(1, '\xFF'), "k", 0xFF), "k", false), QByteArray(1, '\0'));
    EXPECT_EQ(Criptografa(CriptografaComSemente(QByteArray(1, '\xFF'), "k", 0x10), "k", false), QByteArray(1, '\xFF'));
}

TEST(Criptografa, DescriptografaTextosMalFormados) {
    struct Caso {
        const char* nome;
        QByteArray entrada;
        QByteArray esperado;
    } casos[] = {
        {"vazio", "", ""},
        {"so a semente", "10", ""},
        {"semente invalida", "ZZ1A17", ""},
        {"minusculas", "101a17", "AB"},
        {"tres caracteres le um digito", "101", QByteArray(1, char((0x1 ^ 0x4B) - 0x10))},
        {"comprimento impar ignora o ultimo", "101A171", "AB"},
        {"par invalido no meio corta", "101AG717", "A"},
        {"par com espaco corta", "10 A17", ""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        EXPECT_EQ(Criptografa(c.entrada, "K", false), c.esperado);
    }
}

TEST(Criptografa, SementeSorteadaMudaOResultadoMasVolta) {
    QSet<QByteArray> vistos;
    for (int i = 0; i < 20; ++i) {
        const QByteArray s = Criptografa(QByteArray("segredo"), ChaveSenhaUsuario, true);
        EXPECT_EQ(s.size(), 2 + 2 * 7);
        EXPECT_EQ(s, s.toUpper());
        EXPECT_EQ(Criptografa(s, ChaveSenhaUsuario, false), "segredo");
        vistos.insert(s);
    }
    EXPECT_GT(vistos.size(), 1);
}

TEST(Cp1252, ConverteNosDoisSentidos) {
    const QString texto = QString::fromUtf8("Çã€Š‰ ü");
    const QByteArray bytes = Utf8ParaCp1252(texto);
    EXPECT_EQ(bytes, QByteArray("\xC7\xE3\x80\x8A\x89 \xFC"));
    EXPECT_EQ(Cp1252ParaUtf8(bytes), texto);
    EXPECT_EQ(Utf8ParaCp1252(QString::fromUtf8("a中b😀")), "a?b?");
    EXPECT_EQ(Cp1252ParaUtf8("\x81\x9D"), QString::fromUtf8("\u0081\u009D"));
    EXPECT_EQ(Utf8ParaCp1252(QString::fromUtf8("\u0081\u009D")), "\x81\x9D");
}

TEST(Criptografa, SenhaComAcentoPelaFronteiraCp1252) {
    const QString senha = QString::fromUtf8("Pão€");
    const QString s = Criptografa(senha, QString(ChaveSenhaUsuario), true);
    EXPECT_EQ(s.size(), 2 + 2 * 4);
    EXPECT_EQ(Criptografa(s, QString(ChaveSenhaUsuario), false), senha);
}
