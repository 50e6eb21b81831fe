// kr715ctl: commissioning many KR 715 transmitters from the command line.
//
//   kr715ctl [options] identify PHYSID...
//   kr715ctl [options] read PHYSID...            (--every SECONDS [--count N])
//   kr715ctl [options] dump PHYSID > FILE         (or --output FILE)
//   kr715ctl [options] apply FILE PHYSID...
//   kr715ctl [options] diff FILE PHYSID
//
// The devices are reached through the process-variable server "KELO.PRO" exactly as
// KR715Config reaches them; configuration files are the program's. Exit status: 0 when
// every device did what was asked, 1 when a device failed (diff: the settings differ),
// 2 for a usage error, a bad configuration file or a server that cannot be created.

#include "ConfigFileText.h"
#include "CtlDevice.h"
#include "CtlReport.h"
#include "KRLanguage.h"
#include "KeloProServer.h"
#include "NumberFormat.h"
#include "RegisterCodec.h"
#include "SettingWords.h"
#include "SimNetwork.h"
#include "VariableServer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QThread>
#include <QTime>
#include <QHash>
#include <QSaveFile>

#include <csignal>
#include <memory>
#include <optional>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitDeviceFailed = 1;
constexpr int ExitUsage = 2;
constexpr const char *ProgramTitle = "KR715 config"; // the program whose translation table the tool shares

volatile std::sig_atomic_t g_interrupted = 0;
void onInterrupt(int) { g_interrupted = 1; }

struct Options {
    bool json = false;
    QString network;
    bool haveNetwork = false;
    double every = 0;
    int count = 0; // rounds of read --every; 0: until interrupted
    QString output; // dump: the file to write instead of standard output
    QString command;
    QStringList arguments;
};

class Tool {
public:
    explicit Tool(const Options &options)
        : m_options(options)
        , m_lanTrans(QCoreApplication::applicationDirPath(), QLatin1String(ProgramTitle),
                     TKRLanguage::systemLanguageExtension())
    {
    }

    int run();
    int usage(const QString &message);
    QString tr(const QString &text) { return m_lanTrans.Translate(text); }

private:
    CtlDevice::Translate translator()
    {
        return [this](const QString &text) { return tr(text); };
    }
    int fatal(const QString &message);
    bool ensureServer();
    // The PhysIds of the command line, each once (compared without regard to case).
    QStringList physIds(const QStringList &given);
    std::optional<std::array<QString, 9>> loadFile(const QString &path);

    int identify();
    int read();
    int readRound(const QStringList &ids);
    int dump();
    int apply();
    int diff();
    // The register texts of one device for a command; when the device cannot be
    // identified or read, says why (standard error, and a JSON line) and gives false.
    bool readRegistersOf(const QString &command, const QString &id, std::array<QString, 9> &texts);

    Options m_options;
    TKRLanguage m_lanTrans;
    std::unique_ptr<VariableServer> m_server;
};

QString usageText()
{
    return QStringLiteral(
        "Usage:\n"
        "  kr715ctl [options] identify PHYSID...\n"
        "  kr715ctl [options] read PHYSID...\n"
        "  kr715ctl [options] dump PHYSID > FILE\n"
        "  kr715ctl [options] apply FILE PHYSID...\n"
        "  kr715ctl [options] diff FILE PHYSID\n"
        "Options:\n"
        "  --json             one JSON document per line instead of tables\n"
        "  --network FILE     the network file of the simulated network (else KELO_PRO_NETWORK)\n"
        "  --every SECONDS    read: read again every SECONDS until interrupted\n"
        "  --count N          read --every: stop after N rounds\n"
        "  --output FILE      dump: write FILE (replaced only when the device was read) instead of standard output\n"
        "Exit status: 0 all devices done, 1 a device failed (diff: settings differ), 2 usage, file or server error.\n");
}

int Tool::usage(const QString &message)
{
    if (!message.isEmpty())
        ctlErr(message);
    // The translation table holds one text a line: the usage is translated line by line.
    QString translated;
    for (const QString &line : usageText().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        translated += tr(line) + QLatin1Char('\n');
    const QByteArray text = translated.toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    return ExitUsage;
}

int Tool::fatal(const QString &message)
{
    ctlErr(message);
    if (m_options.json)
        ctlJson(QJsonObject{{QStringLiteral("command"), m_options.command}, {QStringLiteral("ok"), false},
                            {QStringLiteral("error"), message}});
    return ExitUsage;
}

bool Tool::ensureServer()
{
    if (m_server)
        return true;
    try {
        m_server = VariableServer::create();
        return true;
    } catch (const automation::AutomationError &e) {
        fatal(e.text());
        return false;
    }
}

QStringList Tool::physIds(const QStringList &given)
{
    QStringList ids;
    QSet<QString> seen;
    for (const QString &id : given) {
        const QString key = id.toLower();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        ids.append(id);
    }
    return ids;
}

std::optional<std::array<QString, 9>> Tool::loadFile(const QString &path)
{
    const std::optional<QStringList> lines = configfile::readFile(path);
    if (!lines) {
        fatal(QStringLiteral("\"%1\": ").arg(path) + tr(QStringLiteral("Failed to load setup from file")));
        return std::nullopt;
    }
    const std::optional<std::array<QString, 9>> texts = configfile::loadTexts(*lines);
    if (texts)
        return texts;
    // Name the first register line that keeps the file from loading.
    for (const int reg : configfile::LoadedRegisters) {
        const std::optional<QString> text = configfile::registerText(*lines, reg);
        if (!text) {
            fatal(QStringLiteral("\"%1\": ").arg(path) + tr(QStringLiteral("Failed to load setup from file")) + QStringLiteral(": ")
                  + tr(QStringLiteral("no line Reg E%1")).arg(reg));
            return std::nullopt;
        }
        if (!regcodec::fileRegisterText(reg, *text)) {
            fatal(QStringLiteral("\"%1\": ").arg(path) + tr(QStringLiteral("Failed to load setup from file")) + QStringLiteral(": ")
                  + tr(QStringLiteral("Reg E%1: \"%2\" is no value for the register")).arg(QString::number(reg), *text));
            return std::nullopt;
        }
    }
    fatal(QStringLiteral("\"%1\": ").arg(path) + tr(QStringLiteral("Failed to load setup from file")));
    return std::nullopt;
}

int Tool::run()
{
    const QString &c = m_options.command;
    const QStringList &args = m_options.arguments;
    if (c.isEmpty())
        return usage(QString());
    if (m_options.every > 0 && c != QLatin1String("read"))
        return usage(tr(QStringLiteral("--every is for read only")));
    if (!m_options.output.isEmpty() && c != QLatin1String("dump"))
        return usage(tr(QStringLiteral("--output is for dump only")));
    if (c == QLatin1String("identify") || c == QLatin1String("read")) {
        if (args.isEmpty())
            return usage(tr(QStringLiteral("No PhysId given")));
        return c == QLatin1String("identify") ? identify() : read();
    }
    if (c == QLatin1String("dump")) {
        if (args.size() != 1)
            return usage(tr(QStringLiteral("dump takes one PhysId")));
        return dump();
    }
    if (c == QLatin1String("apply")) {
        if (args.size() < 2)
            return usage(tr(QStringLiteral("apply takes a configuration file and at least one PhysId")));
        return apply();
    }
    if (c == QLatin1String("diff")) {
        if (args.size() != 2)
            return usage(tr(QStringLiteral("diff takes a configuration file and one PhysId")));
        return diff();
    }
    return usage(tr(QStringLiteral("Unknown command: %1")).arg(c));
}

// --- identify -----------------------------------------------------------------

int Tool::identify()
{
    const QStringList ids = physIds(m_options.arguments);
    if (!ensureServer())
        return ExitUsage;
    CtlTable table({tr(QStringLiteral("PhysId")), tr(QStringLiteral("Device type")), tr(QStringLiteral("Program version")),
                    tr(QStringLiteral("Serial number")), tr(QStringLiteral("Node")), tr(QStringLiteral("Result"))});
    QJsonArray devices;
    int failed = 0;
    CtlProgress progress(int(ids.size()));
    for (const QString &id : ids) {
        progress.step(id);
        CtlDevice device(*m_server, id, translator());
        CtlIdentity identity;
        CtlFailure failure;
        const bool ok = device.identify(identity, failure);
        QJsonObject d{{QStringLiteral("physId"), id}, {QStringLiteral("ok"), ok}};
        if (ok) {
            const QString result = identity.fault ? identity.faultText : tr(QStringLiteral("OK"));
            table.addRow({id, QString::number(identity.deviceType), QString::number(identity.programVersion), identity.serial,
                          QString::number(identity.node), result});
            d.insert(QStringLiteral("deviceType"), identity.deviceType);
            d.insert(QStringLiteral("programVersion"), identity.programVersion);
            d.insert(QStringLiteral("serial"), identity.serial);
            d.insert(QStringLiteral("node"), identity.node);
            d.insert(QStringLiteral("fault"), identity.fault);
            if (identity.fault)
                d.insert(QStringLiteral("faultText"), identity.faultText);
        } else {
            ++failed;
            table.addRow({id, QString(), QString(), QString(), QString(), failure.text});
            d.insert(QStringLiteral("error"), failure.text);
            d.insert(QStringLiteral("errorCode"), failure.code);
        }
        devices.append(d);
    }
    progress.finish();
    if (m_options.json)
        ctlJson({{QStringLiteral("command"), QStringLiteral("identify")}, {QStringLiteral("ok"), failed == 0},
                 {QStringLiteral("devices"), devices}});
    else
        ctlOut(table.text());
    return failed ? ExitDeviceFailed : ExitOk;
}

// --- read -----------------------------------------------------------------------

int Tool::readRound(const QStringList &ids)
{
    QStringList headers{tr(QStringLiteral("PhysId"))};
    for (const QString &name : CtlDevice::liveNames())
        headers.append(tr(name));
    headers.append(tr(QStringLiteral("Result")));
    QJsonArray devices;
    QList<QStringList> rows;
    int failed = 0;
    CtlProgress progress(int(ids.size()));
    for (const QString &id : ids) {
        progress.step(id);
        CtlDevice device(*m_server, id, translator());
        CtlIdentity identity;
        CtlFailure failure;
        QList<CtlLiveValue> values;
        const bool ok = device.identify(identity, failure) && device.readLive(values, failure);
        QJsonObject d{{QStringLiteral("physId"), id}, {QStringLiteral("ok"), ok}};
        QStringList row{id};
        if (ok) {
            QJsonObject numbers;
            QJsonObject texts;
            for (const CtlLiveValue &v : std::as_const(values)) {
                row.append(v.text);
                numbers.insert(v.name, v.value);
                texts.insert(v.name, v.text);
            }
            row.append(identity.fault ? identity.faultText : tr(QStringLiteral("OK")));
            d.insert(QStringLiteral("values"), numbers);
            d.insert(QStringLiteral("texts"), texts);
            if (identity.fault) {
                d.insert(QStringLiteral("fault"), identity.fault);
                d.insert(QStringLiteral("faultText"), identity.faultText);
            }
        } else {
            ++failed;
            while (row.size() < headers.size() - 1)
                row.append(QString());
            row.append(failure.text);
            d.insert(QStringLiteral("error"), failure.text);
            d.insert(QStringLiteral("errorCode"), failure.code);
        }
        rows.append(row);
        devices.append(d); // an interrupted round still ends with its whole table
    }
    progress.finish();
    if (m_options.json) {
        ctlJson({{QStringLiteral("command"), QStringLiteral("read")},
                 {QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)},
                 {QStringLiteral("ok"), failed == 0},
                 {QStringLiteral("devices"), devices}});
        return failed;
    }
    CtlTable table(headers);
    for (const QStringList &row : std::as_const(rows))
        table.addRow(row);
    if (m_options.every > 0)
        ctlOut(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QLatin1Char('\n'));
    ctlOut(table.text());
    return failed;
}

int Tool::read()
{
    const QStringList ids = physIds(m_options.arguments);
    if (!ensureServer())
        return ExitUsage;
    if (m_options.every <= 0)
        return readRound(ids) ? ExitDeviceFailed : ExitOk;

    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    bool anyFailed = false;
    for (int round = 1; !g_interrupted; ++round) {
        const qint64 start = QDateTime::currentMSecsSinceEpoch();
        if (readRound(ids))
            anyFailed = true;
        if (m_options.count > 0 && round >= m_options.count)
            break;
        if (!m_options.json)
            ctlOut(QStringLiteral("\n"));
        const qint64 due = start + qint64(m_options.every * 1000);
        while (!g_interrupted && QDateTime::currentMSecsSinceEpoch() < due)
            QThread::msleep(static_cast<unsigned long>(qBound(qint64(1), due - QDateTime::currentMSecsSinceEpoch(), qint64(100))));
    }
    return anyFailed ? ExitDeviceFailed : ExitOk;
}

bool Tool::readRegistersOf(const QString &command, const QString &id, std::array<QString, 9> &texts)
{
    CtlDevice device(*m_server, id, translator());
    CtlIdentity identity;
    CtlFailure failure;
    if (device.identify(identity, failure) && device.readRegisters(texts, failure))
        return true;
    ctlErr(id + QStringLiteral(": ") + failure.text);
    if (m_options.json)
        ctlJson({{QStringLiteral("command"), command}, {QStringLiteral("ok"), false},
                 {QStringLiteral("physId"), id}, {QStringLiteral("error"), failure.text},
                 {QStringLiteral("errorCode"), failure.code}});
    return false;
}

// --- dump -----------------------------------------------------------------------

int Tool::dump()
{
    const QString id = m_options.arguments.first();
    if (!ensureServer())
        return ExitUsage;
    std::array<QString, 9> texts;
    if (!readRegistersOf(QStringLiteral("dump"), id, texts))
        return ExitDeviceFailed;
    QStringList registers;
    for (int reg = 1; reg <= 8; ++reg)
        registers.append(configfile::savedText(reg, texts[static_cast<size_t>(reg)]));
    const QByteArray bytes = configfile::fileBytes(registers, {});
    if (m_options.json) {
        QJsonObject regs;
        for (int reg = 1; reg <= 8; ++reg)
            regs.insert(QStringLiteral("E%1").arg(reg), registers.at(reg - 1));
        ctlJson({{QStringLiteral("command"), QStringLiteral("dump")}, {QStringLiteral("ok"), true},
                 {QStringLiteral("physId"), id}, {QStringLiteral("registers"), regs},
                 {QStringLiteral("file"), QString::fromLatin1(bytes)}});
        return ExitOk;
    }
    if (!m_options.output.isEmpty()) {
        // The file is replaced whole, and only now that the device has been read.
        QSaveFile out(m_options.output);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
            ctlErr(QStringLiteral("\"%1\": ").arg(m_options.output) + tr(QStringLiteral("Failed to save setup to file")));
            return ExitUsage;
        }
        return ExitOk;
    }
    if (!ctlOutBytes(bytes)) {
        ctlErr(tr(QStringLiteral("Failed to save setup to file")));
        return ExitUsage;
    }
    return ExitOk;
}

// --- apply ----------------------------------------------------------------------

int Tool::apply()
{
    const QString path = m_options.arguments.first();
    // The file is checked whole before any device is reached: a bad file writes nowhere.
    const std::optional<std::array<QString, 9>> texts = loadFile(path);
    if (!texts)
        return ExitUsage;
    const QStringList ids = physIds(m_options.arguments.mid(1));
    if (!ensureServer())
        return ExitUsage;

    CtlTable table({tr(QStringLiteral("PhysId")), tr(QStringLiteral("Serial number")), tr(QStringLiteral("Node")),
                    tr(QStringLiteral("Result"))});
    QJsonArray devices;
    int failed = 0;
    CtlProgress progress(int(ids.size()));
    for (const QString &id : ids) {
        progress.step(id);
        CtlDevice device(*m_server, id, translator());
        CtlIdentity identity;
        CtlFailure failure;
        std::array<QString, 9> written;
        const bool identified = device.identify(identity, failure);
        const bool ok = identified && device.writeRegisters(*texts, written, failure);
        QJsonObject d{{QStringLiteral("physId"), id}, {QStringLiteral("ok"), ok}, {QStringLiteral("verified"), ok}};
        if (identified) {
            d.insert(QStringLiteral("serial"), identity.serial);
            d.insert(QStringLiteral("node"), identity.node);
        }
        if (ok) {
            QJsonObject regs;
            for (const int reg : configfile::LoadedRegisters)
                regs.insert(QStringLiteral("E%1").arg(reg), written[static_cast<size_t>(reg)]);
            d.insert(QStringLiteral("registers"), regs);
            table.addRow({id, identity.serial, QString::number(identity.node), tr(QStringLiteral("Written and verified"))});
        } else {
            ++failed;
            d.insert(QStringLiteral("error"), failure.text);
            d.insert(QStringLiteral("errorCode"), failure.code);
            table.addRow({id, identified ? identity.serial : QString(), identified ? QString::number(identity.node) : QString(),
                          failure.text});
        }
        devices.append(d);
    }
    progress.finish();
    if (m_options.json) {
        ctlJson({{QStringLiteral("command"), QStringLiteral("apply")}, {QStringLiteral("file"), path},
                 {QStringLiteral("ok"), failed == 0}, {QStringLiteral("devices"), devices}});
    } else {
        ctlOut(table.text());
        ctlOut(tr(QStringLiteral("%1 of %2 devices written and verified")).arg(QString::number(ids.size() - failed),
                                                                              QString::number(ids.size()))
               + QLatin1Char('\n'));
    }
    return failed ? ExitDeviceFailed : ExitOk;
}

// --- diff -----------------------------------------------------------------------

int Tool::diff()
{
    const QString path = m_options.arguments.at(0);
    const QString id = m_options.arguments.at(1);
    const std::optional<std::array<QString, 9>> file = loadFile(path);
    if (!file)
        return ExitUsage;
    if (!ensureServer())
        return ExitUsage;
    std::array<QString, 9> onDevice;
    if (!readRegistersOf(QStringLiteral("diff"), id, onDevice))
        return ExitUsage;

    CtlTable table({tr(QStringLiteral("Setting")), tr(QStringLiteral("Device")), tr(QStringLiteral("File"))});
    QJsonArray differences;
    auto add = [&](const QString &name, const QString &list, int reg, const QString &dev, const QString &fil) {
        table.addRow({name, dev, fil});
        QJsonObject d{{QStringLiteral("setting"), name}, {QStringLiteral("register"), QStringLiteral("E%1").arg(reg)},
                      {QStringLiteral("device"), dev}, {QStringLiteral("file"), fil}};
        if (!list.isEmpty())
            d.insert(QStringLiteral("list"), list);
        differences.append(d);
    };

    // The real registers, compared as the single-precision values the device holds.
    for (const int reg : {1, 2, 5}) {
        double a = 0, b = 0;
        const QString &fileText = (*file)[static_cast<size_t>(reg)];
        const QString &deviceText = onDevice[static_cast<size_t>(reg)];
        if (!numfmt::parseReal(fileText, a) || !numfmt::parseReal(deviceText, b)
            || static_cast<float>(a) != static_cast<float>(b))
            add(QStringLiteral("Reg E%1").arg(reg), QString(), reg, deviceText, fileText);
    }
    // The lists, in the words of the configuration tabs.
    QHash<int, QSet<int>> worded; // register -> digits a list shows
    for (const settingwords::Setting &s : settingwords::settings()) {
        worded[s.reg].insert(s.digit);
        auto word = [&](const QString &registerText) {
            const std::optional<int> choice = settingwords::choiceOf(s, registerText);
            if (!choice)
                return QString();
            if (*choice == settingwords::IllegalChoice || *choice >= s.entries.size())
                return tr(settingwords::illegalChoiceText());
            return tr(s.entries.at(*choice));
        };
        const QString dev = word(onDevice[static_cast<size_t>(s.reg)]);
        const QString fil = word((*file)[static_cast<size_t>(s.reg)]);
        if (dev == fil)
            continue;
        QString name = tr(s.groupTitle);
        if (!s.label.isEmpty()) {
            QString label = tr(s.label).trimmed();
            if (label.endsWith(QLatin1Char(':')))
                label.chop(1);
            name += QStringLiteral(": ") + label;
        }
        add(name, s.list, s.reg, dev, fil);
    }
    // Digits of the code registers that no list shows (E8: the file gives four digits;
    // the node address belongs to the device).
    for (const int reg : {3, 6, 7, 8}) {
        const QString &fil = (*file)[static_cast<size_t>(reg)];
        const QString &dev = onDevice[static_cast<size_t>(reg)];
        const int digits = reg == 8 ? 4 : 6;
        for (int k = 1; k <= digits; ++k) {
            if (worded[reg].contains(k) || regcodec::digit(fil, k) == regcodec::digit(dev, k))
                continue;
            add(QStringLiteral("Reg E%1").arg(reg), QString(), reg, reg == 8 ? dev.left(4) : dev, fil);
            break;
        }
    }

    if (m_options.json) {
        ctlJson({{QStringLiteral("command"), QStringLiteral("diff")}, {QStringLiteral("ok"), true},
                 {QStringLiteral("physId"), id}, {QStringLiteral("file"), path}, {QStringLiteral("differences"), differences}});
    } else if (table.rowCount() == 0) {
        ctlOut(tr(QStringLiteral("%1 holds the configuration of %2")).arg(id, path) + QLatin1Char('\n'));
    } else {
        ctlOut(table.text());
    }
    return table.rowCount() == 0 ? ExitOk : ExitDeviceFailed;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kr715ctl"));

    Options options;
    QStringList args = app.arguments().mid(1);
    QStringList positional;
    QString error;    // the message, translated when it is shown
    QString errorArg; // what it names
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        auto value = [&](QString &out) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("%1 needs a value"); errorArg = a;
                return false;
            }
            out = args.at(++i);
            return true;
        };
        if (a == QLatin1String("--")) {
            positional += args.mid(i + 1);
            break;
        }
        if (a == QLatin1String("--json")) {
            options.json = true;
        } else if (a == QLatin1String("--network")) {
            if (!value(options.network))
                break;
            options.haveNetwork = true;
        } else if (a == QLatin1String("--output")) {
            if (!value(options.output))
                break;
            if (options.output.isEmpty()) {
                error = QStringLiteral("%1 needs a value");
                errorArg = a;
                break;
            }
        } else if (a == QLatin1String("--every") || a == QLatin1String("--count")) {
            QString v;
            if (!value(v))
                break;
            bool ok = false;
            if (a == QLatin1String("--every")) {
                options.every = v.toDouble(&ok);
                if (!ok || !(options.every >= 0.05 && options.every <= 86400)) {
                    error = QStringLiteral("--every needs a number of seconds from 0.05 to 86400, not \"%1\""); errorArg = v;
                    break;
                }
            } else {
                options.count = v.toInt(&ok);
                if (!ok || options.count < 1) {
                    error = QStringLiteral("--count needs a whole number from 1, not \"%1\""); errorArg = v;
                    break;
                }
            }
        } else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            options.command.clear();
            positional.clear();
            break;
        } else if (a.startsWith(QLatin1String("--"))) {
            error = QStringLiteral("Unknown option: %1"); errorArg = a;
            break;
        } else {
            positional.append(a);
        }
    }
    if (options.count > 0 && options.every <= 0 && error.isEmpty())
        error = QStringLiteral("--count needs --every");
    options.command = positional.value(0);
    options.arguments = positional.mid(1);

    // The network: --network, or the environment the program reads.
    if (options.haveNetwork) {
        if (options.network.isEmpty())
            error = QStringLiteral("--network needs a file name");
        else
            qputenv(kelopro::SimNetwork::NetworkFileVariable, options.network.toLocal8Bit());
    }
    // The process-variable server, registered as KR715Config registers it.
    kelopro::registerServer();

    Tool tool(options);
    if (!error.isEmpty())
        return tool.usage(errorArg.isEmpty() ? tool.tr(error) : tool.tr(error).arg(errorArg));
    return tool.run();
}
