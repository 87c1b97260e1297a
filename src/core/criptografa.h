#pragma once
// The text scrambler of the new edition's stored passwords, and the
// Windows-1252 conversion at its boundary.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace tarvo {

// The key under which the new edition scrambles a user's password.
inline constexpr char ChaveSenhaUsuario[] = "zmxncbvlqpwoeirutq";
// The key used when the key given is empty (52 characters).
inline constexpr char ChavePadrao[] = "Lq8#vT2!mZp(Xw4%Nc6)Rb9&Ke1*Jd3+Hf5-Gs7/Ua0=Yo2?Ei4@";

// Scrambles (`criptografar` true) or unscrambles single-byte text under
// `chave`. Scrambling draws a fresh seed byte from a clock-seeded generator;
// the result is 2 + 2n capital hexadecimal digits. Unscrambling never
// fails: it stops silently at the first pair it cannot read and returns
// what it has read before.
QByteArray Criptografa(const QByteArray& texto, const QByteArray& chave, bool criptografar);

// Scrambling with a given seed byte, so that results can be reproduced.
QByteArray CriptografaComSemente(const QByteArray& texto, const QByteArray& chave, uint8_t semente);

// The same over program texts: the characters are converted to Windows-1252
// before (and from it after) the scrambler, the only place where the
// program leaves UTF-8.
QString Criptografa(const QString& texto, const QString& chave, bool criptografar);

// Windows-1252 conversions. A character with no Windows-1252 code becomes
// "?", as the old system's conversion did. The five codes 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to U+0081 etc. and back.
QByteArray Utf8ParaCp1252(const QString& texto);
QString Cp1252ParaUtf8(const QByteArray& bytes);

}  // namespace tarvo
