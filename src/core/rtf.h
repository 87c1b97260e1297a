#pragma once
// Rich text (RTF) to plain text, with a reader of our own.
#include <QString>

namespace tarvo {

// Reads an RTF document as a Windows rich-edit control would and returns its
// text, lines separated by "\n" (one per \par or \line; the text after the
// last paragraph mark, if any, is a last line without "\n"). Understands
// groups, control words and symbols, \tab, \'hh in the document's code page
// (\ansicpg, Windows-1252 by default) or in the code page of the font's
// \fcharset, \uN with \ucN, and skips destinations (font, colour and style
// tables, \info, pictures, headers, footnotes, \* groups; \binN data too).
// \sect, \page and \row also end a line, \cell gives a tab. Raw characters
// up to U+00FF are bytes of the code page, above it they are kept as they
// are; raw CR and LF only wrap the source. A document cut before its last
// "}" gives the text read so far; anything after the "}" that closes the
// document is ignored.
// Throws Erro with a Portuguese message when the text, after leading white
// space, does not begin with the control word \rtf ("{\rtf1", "{\rtf "...);
// nothing else is refused. Linear in the length of the text; never recurses:
// depth is bounded only by memory.
QString LeRtf(const QString& documento);

// The plain text of a memo: a rich-text document is read with LeRtf; any
// other text (or RTF that LeRtf refuses) is taken as plain text. Every line
// is followed by CR LF and an empty last line is not a line: the paragraphs
// a and b give "a\r\nb\r\n", the plain text abc gives "abc\r\n", the empty
// text gives the empty text. CR LF, CR and LF all end a plain-text line.
QString RtfParaTexto(const QString& texto);

}  // namespace tarvo
