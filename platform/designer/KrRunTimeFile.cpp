#include "KrRunTimeFile.h"

#include "KrDrawingPage.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

QString KrRunTimeFile::FileNameFor(const QString &pageFile)
{
    const QFileInfo fi(pageFile);
    return fi.dir().filePath(fi.completeBaseName() + QStringLiteral(".krrun"));
}

QByteArray KrRunTimeFile::Collect(TKrDrawingPage *page)
{
    TKeloStream out;
    out.WriteUInt32(kMagic);
    out.WriteUInt16(kVersion);
    const QList<TKrSymbol *> symbols = page->Symbols();
    out.WriteUInt32(quint32(symbols.size()));
    for (TKrSymbol *s : symbols) {
        TKeloBlockWriter rec(out, 'R');
        out.WriteString(s->Name());
        TRunTimeStream data;
        s->SaveRunTimeData(data);
        out.WriteBytes(data.Data());
    }
    return out.Data();
}

QStringList KrRunTimeFile::Apply(TKrDrawingPage *page, const QByteArray &data)
{
    QStringList bad;
    try {
        TKeloStream in(data);
        if (in.ReadUInt32() != kMagic)
            in.Fail(QStringLiteral("not a run-time file"));
        if (in.ReadUInt16() == 0)
            in.Fail(QStringLiteral("corrupt version"));
        const quint32 n = in.ReadUInt32();
        in.CheckCount(n, 5);
        for (quint32 i = 0; i < n; ++i) {
            const TKeloStream::Block b = in.EnterBlock();
            QString name;
            QByteArray bytes;
            try {
                name = in.ReadString();
                bytes = in.ReadBytes();
            } catch (const EKrStreamError &) {
                in.LeaveBlock(b);
                bad.append(QStringLiteral("#%1").arg(i + 1));
                continue;
            }
            in.LeaveBlock(b);
            TKrSymbol *s = KrSymbolOf(page->FindSymbol(name));
            if (!s) {
                bad.append(name);
                continue;
            }
            TRunTimeStream rs(bytes);
            try {
                s->LoadRunTimeData(rs);
            } catch (const std::exception &) {
                bad.append(name);
            }
        }
    } catch (const EKrStreamError &e) {
        bad.append(e.Text());
    }
    return bad;
}

bool KrRunTimeFile::Save(TKrDrawingPage *page, const QString &pageFile, QString *error)
{
    QSaveFile f(FileNameFor(pageFile));
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    f.write(Collect(page));
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

QStringList KrRunTimeFile::Load(TKrDrawingPage *page, const QString &pageFile)
{
    QFile f(FileNameFor(pageFile));
    if (!f.exists() || !f.open(QIODevice::ReadOnly) || f.size() > 64LL * 1024 * 1024)
        return {};
    return Apply(page, f.readAll());
}
