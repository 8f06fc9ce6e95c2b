// What an installation adds around the commands: --version agrees with the
// release the package's metadata announces, and the manual page and the
// bash completion know every command and option of the README.
#include "support/clirun.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using quorvel::test::runCapturedCli;

namespace {

QString sourceFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString readme()
{
    return sourceFile(QFINDTESTDATA("../../README.md"));
}

QString completionScript()
{
    return QFINDTESTDATA("../../packaging/completion/quorvel-cli");
}

// The words of one README command heading, such as "divide custom
// --classes N [--top T]": the command, its subcommand and its options.
struct Synopsis {
    QStringList command; // "divide", "custom"
    QStringList options;
};

QList<Synopsis> readmeSynopses()
{
    QList<Synopsis> list;
    static const QRegularExpression heading(QStringLiteral("^### (.*)$"),
                                            QRegularExpression::MultilineOption);
    static const QRegularExpression quoted(QStringLiteral("`([^`]+)`"));
    for (const auto& h : heading.globalMatch(readme())) {
        for (const auto& q : quoted.globalMatch(h.captured(1))) {
            const QStringList words = q.captured(1).split(u' ', Qt::SkipEmptyParts);
            Synopsis s{{words.first()}, {}};
            if (words.first() == u"divide")
                s.command.append(words.at(1));
            static const QRegularExpression option(QStringLiteral("^\\[?(--[a-z-]+)"));
            for (const QString& w : words)
                if (const auto m = option.match(w); m.hasMatch())
                    s.options.append(m.captured(1));
            list.append(s);
        }
    }
    return list;
}

// What the completion offers after "quorvel-cli --dir DIR WORDS", run in bash
// with the two helpers of bash-completion it calls reduced to their core.
QStringList completions(const QStringList& words, const QString& dir = QStringLiteral("D"))
{
    const QString script = QStringLiteral(
        "_init_completion() { words=(\"${COMP_WORDS[@]}\"); cword=$COMP_CWORD;"
        " cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD-1]}; }\n"
        "_filedir() { :; }\n"
        "source \"$1\"; shift\n"
        "COMP_WORDS=(quorvel-cli --dir \"$@\" ''); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n"
        "_quorvel_cli; printf '%s\\n' \"${COMPREPLY[@]}\"\n");
    QProcess bash;
    bash.start(
        QStringLiteral("bash"),
        QStringList{QStringLiteral("-c"), script, QStringLiteral("bash"), completionScript(), dir} +
            words);
    if (!bash.waitForFinished(10000) || bash.exitCode() != 0)
        return {};
    return QString::fromUtf8(bash.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// Whether some entry of the manual page for this command (its line and the
// text up to the next entry) names every one of the options.
bool manEntryCovers(const QString& page, const QString& command, const QStringList& options)
{
    const QRegularExpression entry(QStringLiteral("^\\.B[IR]? ") + command +
                                       QStringLiteral("\\b[^\\n]*\\n(?:(?!\\.TP\\n).*\\n)*"),
                                   QRegularExpression::MultilineOption);
    for (const auto& m : entry.globalMatch(page)) {
        const QString text = m.captured();
        if (std::all_of(options.begin(), options.end(), [&](const QString& o) {
                return text.contains(QRegularExpression(o + QStringLiteral("(?![a-z-])")));
            }))
            return true;
    }
    return false;
}

} // namespace

class TestCliInstall : public QObject {
    Q_OBJECT

private slots:
    void version_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("alone") << QStringList{"--version"};
        QTest::newRow("after --dir") << QStringList{"--dir", "/nonexistent/x", "--version"};
        QTest::newRow("after --yes") << QStringList{"--yes", "--version"};
    }
    void version()
    {
        QFETCH(QStringList, args);
        // The newest release the AppStream metadata announces.
        static const QRegularExpression release(QStringLiteral("<release version=\"([^\"]+)\""));
        const auto m = release.match(
            sourceFile(QFINDTESTDATA("../../packaging/example.quorvel.Quorvel.metainfo.xml")));
        QVERIFY(m.hasMatch());
        const auto r = runCapturedCli(args);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("quorvel-cli ") + m.captured(1) + u'\n');
        QVERIFY(r.err.isEmpty());
    }
    void helpNamesVersion()
    {
        const auto r = runCapturedCli({"--help"});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains(QStringLiteral("--version")));
    }

    void documented_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QStringList>("options");
        const QList<Synopsis> synopses = readmeSynopses();
        QVERIFY(synopses.size() >= 15);
        for (const Synopsis& s : synopses)
            QTest::addRow("%s %s", qPrintable(s.command.join(u' ')),
                          qPrintable(s.options.join(u' ')))
                << s.command << s.options;
    }
    // The manual page shows every command of the README with its options.
    void documented()
    {
        QFETCH(QStringList, command);
        QFETCH(QStringList, options);
        QString page = sourceFile(QFINDTESTDATA("../../packaging/man/quorvel-cli.1"));
        page.replace(QStringLiteral("\\-"), QStringLiteral("-"));
        page.remove(QRegularExpression(QStringLiteral("\\\\f[RPBI]|\"")));
        QVERIFY2(manEntryCovers(page, command.join(u' '), options), qPrintable(options.join(u' ')));
    }
    void inUsage_data() { documented_data(); }
    // The usage text, made from the command table, shows every command of
    // the README with its options on one line.
    void inUsage()
    {
        QFETCH(QStringList, command);
        QFETCH(QStringList, options);
        const auto r = runCapturedCli({"--help"});
        bool shown = false;
        for (QString line : r.out.split(u'\n')) {
            line.remove(QRegularExpression(QStringLiteral("^(命令:)? +")));
            if (!line.startsWith(command.join(u' ') + u' ') && line != command.join(u' '))
                continue;
            shown = shown || std::all_of(options.cbegin(), options.cend(),
                                         [&](const QString& o) { return line.contains(o); });
        }
        QVERIFY2(shown, qPrintable(command.join(u' ') + u' ' + options.join(u' ')));
    }

    void completed_data() { documented_data(); }
    // The completion offers the command, then each of its options.
    void completed()
    {
        QFETCH(QStringList, command);
        QFETCH(QStringList, options);
        QVERIFY(completions({}).contains(command.first()));
        if (command.size() > 1)
            QVERIFY(completions({command.first()}).contains(command.at(1)));
        const QStringList offered = completions(command);
        for (const QString& o : options)
            QVERIFY2(offered.contains(o),
                     qPrintable(o + QStringLiteral(" after ") + command.join(u' ')));
    }
    // The files of the installation agree with each other: the menu entry
    // names the installed icon and program, the metadata the menu entry, and
    // the licence is the same everywhere.
    void packageFilesAgree_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("pattern");
        const QString desktop = QStringLiteral("packaging/example.quorvel.Quorvel.desktop");
        const QString meta = QStringLiteral("packaging/example.quorvel.Quorvel.metainfo.xml");
        QTest::newRow("zh_CN name") << desktop << "^Name\\[zh_CN\\]=分班$";
        QTest::newRow("categories") << desktop << "^Categories=Education;Office;$";
        QTest::newRow("icon") << desktop << "^Icon=quorvel$";
        QTest::newRow("program") << desktop << "^Exec=quorvel$";
        QTest::newRow("launchable")
            << meta << "<launchable type=\"desktop-id\">example.quorvel.Quorvel.desktop<";
        QTest::newRow("meta licence") << meta << "<project_license>GPL-3.0-or-later<";
        QTest::newRow("zh-CN text") << meta << "<p xml:lang=\"zh-CN\">";
        QTest::newRow("screenshot") << meta << "<screenshot type=\"default\">";
        QTest::newRow("copyright") << "packaging/copyright"
                                   << "^License: GPL-3.0-or-later$";
        QTest::newRow("licence text") << "COPYING"
                                      << "^ +Version 3, 29 June 2007$";
    }
    void packageFilesAgree()
    {
        QFETCH(QString, file);
        QFETCH(QString, pattern);
        const QString text = sourceFile(QFINDTESTDATA(QStringLiteral("../../") + file));
        QVERIFY2(text.contains(QRegularExpression(pattern, QRegularExpression::MultilineOption)),
                 qPrintable(pattern));
        QVERIFY(!QFINDTESTDATA("../../packaging/quorvel.svg").isEmpty());
    }

    void completesFieldNames()
    {
        QVERIFY(completions({"create"}).contains(QStringLiteral("是否班干部")));
        QVERIFY(completions({"divide", "custom", "--classes"}).isEmpty());
    }
    // The subjects and condition fields come from the folder's GBK lists.
    void completesFieldsOfFolder_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("subject") << QStringList{"divide", "subject", "--subject"}
                                 << QStringList{"语文", "数学"};
        QTest::newRow("conditions")
            << QStringList{"divide", "custom", "--conditions"} << QStringList{"原学校", "是否住宿"};
    }
    void completesFieldsOfFolder()
    {
        QFETCH(QStringList, words);
        QFETCH(QStringList, offered);
        QTemporaryDir dir;
        const auto write = [&](const char* name, const QByteArray& gbk) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(gbk);
        };
        write("ziduan3.txt", "\xd3\xef\xce\xc4\r\n\xca\xfd\xd1\xa7\r\n\xd7\xdc\xb7\xd6\r\n");
        write("ziduan2.txt", "\xd4\xad\xd1\xa7\xd0\xa3\r\n\xca\xc7\xb7\xf1\xd7\xa1\xcb\xde\r\n");
        QCOMPARE(completions(words, dir.path()), offered);
    }
};

QTEST_GUILESS_MAIN(TestCliInstall)
#include "test_cli_install.moc"
