#pragma once
// Unit Divunit: geometry and path helpers shared by the symbols.

#include "KrTypes.h"

#include <QPoint>
#include <QString>

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
