#pragma once
// Small text helpers used when assembling operator texts and register strings.

#include <QString>

// Lower-cases the ASCII letters A to Z only; every other character is kept as it is.
QString AsciiLowerCase(const QString &text);

// Deletes count characters at the 1-based position and inserts insert there.
// A position before the first character inserts at the start and deletes nothing; a
// position past the end appends and deletes nothing; count is cut at the end of text.
QString ReplaceRange(const QString &text, const QString &insert, int count, int position);

// Replaces every occurrence of pattern, scanning left to right without overlap. When
// caseSensitive is false the comparison ignores the case of ASCII letters, while the
// copied pieces of text keep their case. An empty pattern leaves text unchanged.
QString ReplaceAll(const QString &text, const QString &pattern, bool caseSensitive,
                   const QString &replacement);

// The last n characters of text (all of it when shorter, nothing for n <= 0).
QString RightStr(const QString &text, int n);
