#pragma once
// Run-time translation of the program's English texts from a plain text table per
// user language. Texts without a translation are appended to the table and written
// back, so a run in a new language produces a file a translator only has to complete.
//
// File format: one entry per line, "source text=translation". A line "source text="
// marks a text not yet translated; every other line is kept and written back as read.
// Lines are read with CR LF or LF ends and written with CR LF. Characters are 8-bit
// Latin-1 (ISO 8859-1), the single-byte code page of this platform: every byte of a
// file read comes back unchanged when the table is written; characters outside
// Latin-1 in texts added by the program are written as '?'.

#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>

class TKRLanguage : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)
public:
    // Uses the running program's directory and title (the application display name,
    // as the program sets it before creating its main window) and the extension of the
    // system locale's language; loads the default file.
    explicit TKRLanguage(QObject *owner = nullptr);
    // Explicit setting for tools and tests. applicationDirectory gets a trailing '/'
    // when it lacks one. Loads the default file.
    TKRLanguage(const QString &applicationDirectory, const QString &applicationTitle,
                const QString &languageExtension, QObject *owner = nullptr);
    // Saves the table (only when something was added) before it goes.
    ~TKRLanguage() override;

    QString FileName() const { return m_fileName; }
    // An equal name (exact comparison) does nothing; otherwise the table is saved to
    // the current file, the name stored and the new file (or the default) loaded.
    void setFileName(const QString &fileName);

    // The translation of text, or text itself when the table has none. A text missing
    // from the table is appended as "text=" and will be written at the next save.
    virtual QString Translate(const QString &text);

    // Directory + title + extension, fixed at creation.
    QString defaultFileName() const;
    // FileName, or the default file when FileName is empty.
    QString effectiveFileName() const;
    // Where the additions to the default file go when the program folder exists but
    // cannot be written (an installed program): the same file name in the product's folder of
    // the user's data folder ($XDG_DATA_HOME/KR/). When that file exists, its lines
    // that the default file lacks are loaded after the default file's own.
    QString userFileName() const;
    QString applicationDirectory() const { return m_applicationDirectory; }
    QString applicationTitle() const { return m_applicationTitle; }
    QString languageExtension() const { return m_languageExtension; }
    QStringList table() const { return m_table; }
    bool isModified() const { return m_modified; }

    // Extension for a Windows language identifier: the listed languages have their
    // own, any other identifier gives ".enu"; a negative identifier (no language could
    // be determined) gives an empty extension.
    static QString extensionForLanguageId(int languageId);
    // The Windows language identifier of a locale for the languages the program has
    // extensions for (language and country as Windows pairs them), 0 for any other.
    static int windowsLanguageId(const QLocale &locale);
    // Extension of the user's language, taken from the system locale.
    static QString systemLanguageExtension();

protected:
    // Replaces the table by the lines of file; a missing or unreadable file leaves it
    // empty. Clears the modified flag. Only a regular file (or a link to one) of at
    // most MaxFileBytes is read; lines end with CR LF, LF or CR.
    void load(const QString &file);
    // Writes the table when modified; clears the flag on success. Returns false only
    // when a needed write failed. A file that exists but could not be read at the last
    // load is never written over: what it holds is kept.
    bool save(const QString &file);

public:
    // Translation files are small; a larger file is not read (and not replaced).
    static constexpr qint64 MaxFileBytes = 16 * 1024 * 1024;

private:
    void appendLine(const QString &line);
    void loadUserAdditions();

    QStringList m_table;
    QStringList m_lowerTable; // ASCII-lower-case copy of m_table, for matching
    QString m_applicationDirectory;
    QString m_applicationTitle;
    QString m_languageExtension;
    QString m_fileName;
    bool m_modified = false;
    // The file of the last load exists but was not read (not a regular file, too
    // large, unreadable).
    QString m_unreadFile;
};

// A text of the program in language (the text itself while there is no translator).
QString krTranslate(TKRLanguage *language, const QString &text);
