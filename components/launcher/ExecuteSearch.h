#pragma once
// What an execute button starts, decided without widgets: the search for the
// program, the words of the parameter text and the launch plan (program,
// argument list, working directory). TKRExecute starts what the plan says.

#include <QString>
#include <QStringList>

// Where the search found a program.
enum TKRFoundWhere {
    fwNotFound = 0,
    fwAsNamed = 1,      // the name itself
    fwBasePath = 2,     // GetBasePath + name
    fwHostFolder = 3,   // the host program's folder
    fwWindowsDir = 4,   // KrWindowsDirectory()
    fwSystemDir = 5,    // KrSystemDirectory()
    fwSearchPath = 6,   // a folder of PATH (the last one that holds it)
    fwRegistered = 7,   // FindProgram
};

struct TKRSearchResult {
    int where = fwNotFound;
    QString path;             // the program found (1 to 6, and 7 for programs)
    bool executable = false;  // the name is a program, not a document
    QString name;             // the name searched (".exe" appended when it had no extension)
};

// Splits text into words as a POSIX shell does, without any expansion: blanks
// (space, tab, newline) separate words; a backslash takes the next character
// as it is (a backslash before a newline joins the lines); '...' keeps
// everything inside; "..." keeps everything inside except that a backslash
// before $ ` " \ or a newline escapes it. Nothing else is special: $( ), back
// quotes, globs, ~, ;, |, &, <, >, # and variables are plain characters of the
// words. ok is false (and no words are given) when a quote is not closed.
QStringList KrSplitShellWords(const QString &text, bool *ok = nullptr);

// The extension of a name (from the last dot of its file part, with the dot;
// empty for none; a file part starting with its only dot has none).
QString KrExtensionOf(const QString &name);

// The search for a program or document named name.
TKRSearchResult KrSearchProgram(const QString &name);

struct TKRLaunchPlan {
    TKRSearchResult found;
    QString program;          // full path of what is started
    QStringList arguments;
    QString workingDirectory;
    QString document;         // the document opened (documents only)
    QString problem;          // why nothing can be started (empty when it can)
    bool IsValid() const { return problem.isEmpty() && !program.isEmpty(); }
};

// What a click starts for execProc, the parameter text and the "Start in"
// folder.
TKRLaunchPlan KrPlanLaunch(const QString &execProc, const QString &parameters, const QString &startIn);

// A line telling the operator where execProc is found (or why not).
QString KrDescribePlan(const TKRLaunchPlan &plan);
