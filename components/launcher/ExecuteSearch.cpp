#include "ExecuteSearch.h"

#include "Divunit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QStringList KrSplitShellWords(const QString &text, bool *ok)
{
    QStringList words;
    QString word;
    bool inWord = false;
    enum { Plain, Single, Double } mode = Plain;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        switch (mode) {
        case Single:
            if (c == QLatin1Char('\''))
                mode = Plain;
            else
                word += c;
            break;
        case Double:
            if (c == QLatin1Char('"')) {
                mode = Plain;
            } else if (c == QLatin1Char('\\') && i + 1 < n) {
                const QChar next = text.at(i + 1);
                if (next == QLatin1Char('\n')) {
                    ++i; // line joined
                } else if (next == QLatin1Char('$') || next == QLatin1Char('`') || next == QLatin1Char('"') || next == QLatin1Char('\\')) {
                    word += next;
                    ++i;
                } else {
                    word += c;
                }
            } else {
                word += c;
            }
            break;
        case Plain:
            if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
                if (inWord)
                    words << word;
                word.clear();
                inWord = false;
            } else if (c == QLatin1Char('\\')) {
                if (i + 1 < n) {
                    const QChar next = text.at(++i);
                    if (next != QLatin1Char('\n')) {
                        word += next;
                        inWord = true;
                    }
                } else {
                    word += c; // a backslash at the very end stands for itself
                    inWord = true;
                }
            } else if (c == QLatin1Char('\'')) {
                mode = Single;
                inWord = true;
            } else if (c == QLatin1Char('"')) {
                mode = Double;
                inWord = true;
            } else {
                word += c;
                inWord = true;
            }
            break;
        }
    }
    const bool closed = mode == Plain;
    if (closed && inWord)
        words << word;
    if (ok)
        *ok = closed;
    return closed ? words : QStringList();
}

QString KrExtensionOf(const QString &name)
{
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash + 1)
        return QString();
    return name.mid(dot);
}

namespace {

bool IsProgramExtension(const QString &ext)
{
    const QString e = ext.toLower();
    return e == QLatin1String(".exe") || e == QLatin1String(".com");
}

// The file at prefix + name that counts as the program: the name as the
// search makes it (with its ".exe" or ".com"), else the platform's own
// program without that ending (a file with the execute bit).
QString Candidate(const QString &prefix, const QString &name)
{
    const QFileInfo named(prefix + name);
    if (named.isFile())
        return prefix + name;
    const QString stem = name.left(name.size() - 4);
    if (stem.isEmpty() || stem.endsWith(QLatin1Char('/')))
        return QString();
    const QFileInfo own(prefix + stem);
    if (own.isFile() && own.isExecutable())
        return prefix + stem;
    return QString();
}

QString WithSlash(QString dir)
{
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

} // namespace

TKRSearchResult KrSearchProgram(const QString &execName)
{
    TKRSearchResult r;
    QString name = execName;
    if (name.isEmpty())
        return r;
    QString ext = KrExtensionOf(name);
    if (ext.isEmpty()) {
        name += QStringLiteral(".exe");
        ext = QStringLiteral(".exe");
    }
    r.name = name;
    r.executable = IsProgramExtension(ext);
    if (!r.executable) {
        if (!FindProgram(feDocument, ext).isEmpty())
            r.where = fwRegistered;
        return r;
    }
    auto hit = [&](int where, const QString &path) {
        if (path.isEmpty())
            return false;
        r.where = where;
        r.path = path;
        return true;
    };
    if (hit(fwAsNamed, Candidate(QString(), name)))
        return r;
    // An absolute name is only ever the file it names.
    if (!QDir::isAbsolutePath(name)) {
        if (hit(fwBasePath, Candidate(WithSlash(GetBasePath()), name)))
            return r;
        if (QCoreApplication::instance() && hit(fwHostFolder, Candidate(WithSlash(QCoreApplication::applicationDirPath()), name)))
            return r;
        if (hit(fwWindowsDir, Candidate(WithSlash(KrWindowsDirectory()), name)))
            return r;
        if (hit(fwSystemDir, Candidate(WithSlash(KrSystemDirectory()), name)))
            return r;
        // Every folder of PATH that holds the program replaces the one found
        // before: the last one wins.
        QString last;
        for (const QString &dir : qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
            if (!QDir::isAbsolutePath(dir))
                continue; // never the current folder by accident
            const QString c = Candidate(WithSlash(dir), name);
            if (!c.isEmpty())
                last = c;
        }
        if (hit(fwSearchPath, last))
            return r;
    }
    hit(fwRegistered, FindProgram(feExecutable, name));
    return r;
}

TKRLaunchPlan KrPlanLaunch(const QString &execProc, const QString &parameters, const QString &startIn)
{
    TKRLaunchPlan plan;
    if (execProc.isEmpty()) {
        plan.problem = QCoreApplication::translate("TKRExecute", "No program or document is named.");
        return plan;
    }
    plan.found = KrSearchProgram(execProc);
    bool wordsOk = false;
    const QStringList extra = KrSplitShellWords(parameters, &wordsOk);
    if (plan.found.where == fwNotFound) {
        plan.problem = plan.found.executable
            ? QCoreApplication::translate("TKRExecute", "The program \"%1\" was not found.").arg(execProc)
            : QCoreApplication::translate("TKRExecute", "No program is registered to open \"%1\".").arg(execProc);
        return plan;
    }
    if (!wordsOk) {
        plan.problem = QCoreApplication::translate("TKRExecute", "The parameters \"%1\" have a quote that is not closed.").arg(parameters);
        return plan;
    }
    if (plan.found.executable) {
        plan.program = plan.found.path;
        plan.arguments = extra;
    } else {
        QString doc = execProc;
        if (IsPathRel(doc))
            doc = GetBasePath() + doc;
        if (!QFileInfo(doc).isFile()) {
            plan.problem = QCoreApplication::translate("TKRExecute", "The document \"%1\" does not exist.").arg(QDir::toNativeSeparators(doc));
            return plan;
        }
        plan.document = QFileInfo(doc).absoluteFilePath();
        const TKrCommand cmd = FindDocumentCommand(plan.document);
        if (!cmd.IsValid()) {
            plan.problem = QCoreApplication::translate("TKRExecute", "No program is registered to open \"%1\".").arg(execProc);
            return plan;
        }
        plan.program = cmd.program;
        plan.arguments = cmd.arguments + extra;
    }
    QString dir = startIn;
    if (!dir.isEmpty() && IsPathRel(dir))
        dir = GetBasePath() + dir;
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QFileInfo(plan.program).absolutePath();
    plan.workingDirectory = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    return plan;
}

QString KrDescribePlan(const TKRLaunchPlan &plan)
{
    if (!plan.problem.isEmpty())
        return plan.problem;
    static const char *const places[] = {
        "",
        QT_TRANSLATE_NOOP("TKRExecute", "as named"),
        QT_TRANSLATE_NOOP("TKRExecute", "in the project folder"),
        QT_TRANSLATE_NOOP("TKRExecute", "in the host program's folder"),
        QT_TRANSLATE_NOOP("TKRExecute", "in the system's program folder"),
        QT_TRANSLATE_NOOP("TKRExecute", "in the system folder"),
        QT_TRANSLATE_NOOP("TKRExecute", "on the search path"),
        QT_TRANSLATE_NOOP("TKRExecute", "as the registered program"),
    };
    const QString where = QCoreApplication::translate("TKRExecute", places[qBound(1, plan.found.where, 7)]);
    if (!plan.document.isEmpty())
        return QCoreApplication::translate("TKRExecute", "Opens with %1 (%2).").arg(QDir::toNativeSeparators(plan.program), where);
    return QCoreApplication::translate("TKRExecute", "Starts %1 (%2).").arg(QDir::toNativeSeparators(plan.program), where);
}
