#pragma once
// Unit Divunit: geometry and path helpers shared by the symbols.

#include "KrTypes.h"

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QMimeType>

class QObject;

// Work-area pixels at zoom 1, and the zoom factor of the page shown. The host
// sets them; the symbols read them.
extern KRTL_EXPORT int WorkAreaW;
extern KRTL_EXPORT int WorkAreaH;
extern KRTL_EXPORT double GlobZoomFactor;

// Turns the rectangle a quarter turn about centre: clockwise on the screen when
// direction is true, anticlockwise when false. Four turns the same way give the
// rectangle back.
KRTL_EXPORT void RotateRect(TRect &rect, const QPoint &centre, bool direction);
KRTL_EXPORT TRect RotatedRect(const TRect &rect, const QPoint &centre, bool direction);

// What a rotate function does to a symbol's rotation (degrees, a multiple of 90) and
// mirrored flag: a quarter turn right or left, or a mirror left to right (90 and 270
// swap) or top to bottom (0 and 180 swap). The rotation comes back within 0..359.
// False, and nothing changed, for a function that is none of the four.
KRTL_EXPORT bool TurnRotation(TRotateFunction function, int &rotDeg, bool &mirrored);

// Z-order comparison for sorting symbols lowest first: negative when a lies
// below b, positive when above, 0 for the same object. Symbols in different
// containers compare by the containers below their common ancestor; a symbol
// inside a container lies above the container.
KRTL_EXPORT int CompTopMost(QObject *a, QObject *b);

// The base directory of the project (ends with a separator); relative file
// names of the symbols are taken from here. The host sets it; by default it is
// the program's directory.
KRTL_EXPORT QString GetBasePath();
KRTL_EXPORT void KrSetBasePath(const QString &path);
KRTL_EXPORT bool IsPathRel(const QString &path);

// The folders that stand in on this platform for the Windows directory and the
// Windows system directory (where the system's own programs lie), without a
// trailing separator: "/usr/bin" and "/bin" unless the host set others.
KRTL_EXPORT QString KrWindowsDirectory();
KRTL_EXPORT QString KrSystemDirectory();
// Sets both folders (an empty text restores the default of that folder).
KRTL_EXPORT void KrSetProgramDirectories(const QString &windowsDirectory, const QString &systemDirectory);

enum TFindCommand { feExecutable = 0, feDocument = 1 };
// feExecutable with a program's file name: its full path (an absolute name is
// checked as it is; another is looked for on the search path, then in the two
// folders above), or empty. Programs here have no extension, so a name ending
// in ".exe" or ".com" that is not found as it is, is looked for without that
// ending: "ls.exe" finds the program "ls". feDocument with a document's extension (".txt" or "txt"): the
// command of the program registered for that type (the desktop's default
// application for the extension's MIME type), a path possibly followed by a
// space and arguments, or empty when none is registered.
KRTL_EXPORT QString FindProgram(int command, const QString &text);

// A program with its argument list, started as it is (never through a shell).
struct KRTL_EXPORT TKrCommand {
    QString program;       // full path of the program
    QStringList arguments; // its arguments, one word each
    QString mimeType;      // the type the program was chosen for (documents)
    QString desktopEntry;  // the desktop entry file it came from (documents)
    bool IsValid() const { return !program.isEmpty(); }
};

// The program that opens a document (an absolute path; the file need not
// exist, then its name alone tells the type), with the arguments its desktop
// entry asks for and the document in the place of its file field code. Invalid
// when no program is registered for the document's type. How the program is
// chosen is described in Divunit.cpp (KrRegisteredApplication, the one place
// that decides); FindProgram(feDocument, ...) asks the same place.
KRTL_EXPORT TKrCommand FindDocumentCommand(const QString &document);

// The application the desktop registered for a MIME type (see Divunit.cpp for
// how it is chosen): its program and the words of its Exec line after it, field
// codes not yet expanded.
struct KRTL_EXPORT TKrRegisteredApplication {
    QString program;           // full path
    QStringList execArguments; // Exec words after the program
    QString mimeType;          // the type (or ancestor) it is registered for
    QString desktopId;
    QString entryFile;
    QString name;
    QString icon;
    bool IsValid() const { return !program.isEmpty(); }
};
KRTL_EXPORT TKrRegisteredApplication KrRegisteredApplication(const QMimeType &mime);
// The words of a desktop entry's Exec line (after the value escapes); ok false
// (and no words) for an unclosed quote.
KRTL_EXPORT QStringList KrSplitExecLine(const QString &exec, bool *ok = nullptr);
// A word written back for an Exec line (quoted when it needs it).
KRTL_EXPORT QString KrQuoteExecWord(const QString &word);
// The arguments of app's Exec line with its field codes expanded for files.
KRTL_EXPORT QStringList KrExpandExecArguments(const TKrRegisteredApplication &app, const QStringList &files, bool *ok = nullptr);
