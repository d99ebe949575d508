// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandRunner.h"
#include "app/cOutputDecoder.h"

#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
// A widget that counts its paint events.
class PaintCounter : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override { ++paints; }
};

int OpenDescriptorCount()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
                   .size());
}

// Processes whose parent is this one, zombies included.
int ChildProcessCount()
{
    const QString self = QString::number(::getpid());
    int count = 0;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isNumber = false;
        entry.toInt(&isNumber);
        if (!isNumber)
            continue;
        const QByteArray stat = TestSupport::ReadFile(QStringLiteral("/proc/%1/stat").arg(entry));
        // The fields after the command name, which ends with the last ")": state, then parent.
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1) == self.toLatin1())
            ++count;
    }
    return count;
}

double ProcessCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A local TCP port on which nothing listens.
int ClosedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

// What the stand-in writes, read whole with QProcess and decoded at once: the reference for
// the runner's chunked reading.
QString WholeOutput(const QStringList &arguments, const QString &mode, const QString &folder)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FAKE_BCP_MODE"), mode);
    environment.remove(QStringLiteral("FAKE_BCP_LOG"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder);
    process.start(QStandardPaths::findExecutable(QStringLiteral("bcp")), arguments);
    process.waitForFinished(-1);
    return QString::fromUtf8(process.readAll().replace('\0', QByteArray()));
}

} // namespace

class TestCommandRunner : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void splitFollowsTheWindowsRules_data();
    void splitFollowsTheWindowsRules();
    void quotedValuesSplitBackWhole_data();
    void quotedValuesSplitBackWhole();
    void parseKeepsWhereEachArgumentLies();

    void decoderEqualsTheWholeOutputDecoded_data();
    void decoderEqualsTheWholeOutputDecoded();
    void decoderMatchesWholeDecodingOfRandomBytes();
    void decoderMatchesWholeDecodingOfMixedValidAndInvalidBytes();
    void decoderGivesBackTheRoomOfALongOutput();
    void decoderCopesWithoutAddressSpaceForALongOutput();

    void outputOfTheStandIn_data();
    void outputOfTheStandIn();
    void manyChunksArriveWhole();
    void outputOfAGrandchildArrivesUntilThePipeEnds();
    void commandWithoutOutputGivesTheEmptyText();
    void exitStatusIsReported_data();
    void exitStatusIsReported();
    void argumentsReachTheProgramWithoutAShell_data();
    void argumentsReachTheProgramWithoutAShell();
    void childRunsInTheWorkingFolder();

    void failuresToStartNameTheProgram_data();
    void failuresToStartNameTheProgram();
    void bcpIsLookedForInTheToolsFolders();
    void freebcpErrorTextIsCaptured();

    void windowsRepaintWhileTheChildRunsWithoutSpinning();
    void noHandleOrChildIsLeftBehind();

private:
    QTemporaryDir m_folder;
    QString m_log;
};

void TestCommandRunner::init()
{
    QVERIFY(m_folder.isValid());
    m_log = m_folder.filePath(QStringLiteral("bcp.log"));
    QFile::remove(m_log);
    qputenv("FAKE_BCP_LOG", m_log.toLocal8Bit());
    qunsetenv("FAKE_BCP_MODE");
    qunsetenv("FAKE_BCP_ONLY");
}

void TestCommandRunner::cleanup()
{
    qunsetenv("FAKE_BCP_MODE");
    qunsetenv("FAKE_BCP_ONLY");
    QCOMPARE(TestSupport::VisibleTopLevelCount(), 0);
}

void TestCommandRunner::splitFollowsTheWindowsRules_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("blanks separate") << "a b   c" << QStringList{"a", "b", "c"};
    QTest::newRow("tabs separate") << "a\tb" << QStringList{"a", "b"};
    QTest::newRow("leading and trailing blanks") << "  a  " << QStringList{"a"};
    QTest::newRow("only blanks") << "   " << QStringList{};
    QTest::newRow("empty line") << "" << QStringList{};
    QTest::newRow("quotes group and are removed") << "\"a b\" c" << QStringList{"a b", "c"};
    QTest::newRow("quotes inside a word") << "a\"b c\"d" << QStringList{"ab cd"};
    QTest::newRow("switch with quoted value") << "-P\"a b\" -Sx" << QStringList{"-Pa b", "-Sx"};
    QTest::newRow("empty quotes give an empty argument") << "a \"\" b" << QStringList{"a", "", "b"};
    QTest::newRow("backslashes without a quote are plain")
        << "a\\b c\\\\d" << QStringList{"a\\b", "c\\\\d"};
    QTest::newRow("odd backslashes escape a quote") << "a\\\"b" << QStringList{"a\"b"};
    QTest::newRow("even backslashes before a quote halve")
        << "\"a\\\\\" b" << QStringList{"a\\", "b"};
    QTest::newRow("three backslashes and a quote") << "a\\\\\\\"b" << QStringList{"a\\\"b"};
    QTest::newRow("two quotes inside quotes stand for one")
        << "\"a\"\"b c\"" << QStringList{"a\"b c"};
    QTest::newRow("unclosed quote runs to the end") << "x \"a b" << QStringList{"x", "a b"};
    QTest::newRow("shell characters stay plain")
        << "a * $HOME ; & | `x` > y"
        << QStringList{"a", "*", "$HOME", ";", "&", "|", "`x`", ">", "y"};
    QTest::newRow("a line break stays in its argument")
        << "\"select *\nfrom t\n\" x" << QStringList{"select *\nfrom t\n", "x"};
    QTest::newRow("path with blanks") << "bcp t out \"/b/my file.dat\" -n"
                                      << QStringList{"bcp", "t", "out", "/b/my file.dat", "-n"};
}

void TestCommandRunner::splitFollowsTheWindowsRules()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    QCOMPARE(SplitCommandLine(line), expected);
}

void TestCommandRunner::quotedValuesSplitBackWhole_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("changedWhenNotForced");
    QTest::newRow("plain") << "secret" << false;
    QTest::newRow("backslash inside") << "a\\b" << false;
    QTest::newRow("trailing backslash") << "a\\" << false;
    QTest::newRow("shell characters") << "$x;&*" << false;
    QTest::newRow("blank") << "a b" << true;
    QTest::newRow("tab") << "a\tb" << true;
    QTest::newRow("double quote") << "a\"b" << true;
    QTest::newRow("only a quote") << "\"" << true;
    QTest::newRow("backslash before a quote") << "a\\\"b" << true;
    QTest::newRow("blank and trailing backslashes") << "a b\\\\" << true;
    QTest::newRow("quoted already") << "\"a b\"" << true;
}

void TestCommandRunner::quotedValuesSplitBackWhole()
{
    QFETCH(QString, value);
    QFETCH(bool, changedWhenNotForced);
    QCOMPARE(QuoteArgument(value) != value, changedWhenNotForced);
    QCOMPARE(SplitCommandLine("x -P" + QuoteArgument(value) + " y"),
             (QStringList{"x", "-P" + value, "y"}));
    QCOMPARE(SplitCommandLine("x " + QuoteArgument(value, true) + " y"),
             (QStringList{"x", value, "y"}));
    QCOMPARE(SplitCommandLine(QuoteArgument(QString(), true)), QStringList{QString()});
}

void TestCommandRunner::parseKeepsWhereEachArgumentLies()
{
    const QString line = QStringLiteral("bcp  \"a b\"\tc\\\"d ");
    const QList<CommandArgument> arguments = ParseCommandLine(line);
    QCOMPARE(arguments.size(), 3);
    QCOMPARE(line.mid(arguments[0].start, arguments[0].end - arguments[0].start), "bcp");
    QCOMPARE(line.mid(arguments[1].start, arguments[1].end - arguments[1].start), "\"a b\"");
    QCOMPARE(arguments[1].value, "a b");
    QCOMPARE(line.mid(arguments[2].start, arguments[2].end - arguments[2].start), "c\\\"d");
    QCOMPARE(arguments[2].value, "c\"d");
}

void TestCommandRunner::decoderEqualsTheWholeOutputDecoded_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const QByteArray a254(254, 'a');
    QTest::newRow("nothing") << QByteArray() << QString();
    QTest::newRow("ascii over several chunks")
        << QByteArray(1000, 'x') << QString(1000, QLatin1Char('x'));
    QTest::newRow("3-byte character across the first border")
        << a254 + "\xe2\x82\xac!" << QString(254, QLatin1Char('a')) + QString::fromUtf8("€!");
    QTest::newRow("4-byte character across the first border")
        << QByteArray(253, 'a') + "\xf0\x9f\x98\x80"
        << QString(253, QLatin1Char('a')) + QString::fromUtf8("😀");
    QTest::newRow("2-byte character across the second border")
        << QByteArray(509, 'a') + "\xc3\xa9"
        << QString(509, QLatin1Char('a')) + QString::fromUtf8("é");
    QTest::newRow("zero byte dropped alone") << QByteArray("ab\0cd", 5) << "abcd";
    QTest::newRow("byte-order mark at the start") << QByteArray("\xef\xbb\xbf"
                                                                "abc")
                                                  << QString::fromUtf8(QByteArray("\xef\xbb\xbf"
                                                                                  "abc"));
    QTest::newRow("zero bytes at both ends") << QByteArray("\0ab\0", 4) << "ab";
    QTest::newRow("zero byte inside a character")
        << QByteArray(254, 'a') + QByteArray("\xe2\0\x82\xac", 4)
        << QString(254, QLatin1Char('a')) + QString::fromUtf8("€");
    QTest::newRow("unfinished character at the end")
        << QByteArray("ab\xe2\x82") << QString::fromUtf8(QByteArray("ab\xe2\x82"));
    QTest::newRow("unfinished 4-byte character at the end")
        << QByteArray(254, 'a') + "\xf0\x9f\x98"
        << QString::fromUtf8(QByteArray(254, 'a') + "\xf0\x9f\x98");
    QTest::newRow("invalid byte") << QByteArray("a\xff"
                                                "b")
                                  << QString::fromUtf8(QByteArray("a\xff"
                                                                  "b"));
}

void TestCommandRunner::decoderEqualsTheWholeOutputDecoded()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    cOutputDecoder decoder;
    for (qsizetype at = 0; at < bytes.size(); at += cOutputDecoder::ChunkSize)
        decoder.Append(bytes.constData() + at,
                       std::min(cOutputDecoder::ChunkSize, bytes.size() - at));
    QCOMPARE(decoder.Finish(), expected);
}

void TestCommandRunner::decoderMatchesWholeDecodingOfRandomBytes()
{
    // Valid text with multi-byte characters, cut at every size from 1 to 255 bytes.
    const QByteArray text =
        QString::fromUtf8("Données é € 😀 ü ß 中文 ").repeated(40).toUtf8() + "\xe2\x82";
    for (int chunk = 1; chunk <= cOutputDecoder::ChunkSize; ++chunk) {
        cOutputDecoder decoder;
        for (qsizetype at = 0; at < text.size(); at += chunk)
            decoder.Append(text.constData() + at, std::min<qsizetype>(chunk, text.size() - at));
        QCOMPARE(decoder.Finish(), QString::fromUtf8(text));
    }
}

namespace
{
// Pieces of UTF-8 and of what only looks like it: complete characters of every length, and
// overlong forms, surrogates, code points above U+10FFFF, stray continuation bytes, bytes that
// never occur, unfinished characters, noncharacters, byte-order marks and zero bytes.
const QList<QByteArray> &BytePieces()
{
    static const QList<QByteArray> pieces = {"a",
                                             "Starting copy...",
                                             "\n",
                                             "\xc3\xa9",
                                             "\xe2\x82\xac",
                                             "\xf0\x9f\x98\x80",
                                             "\xf4\x8f\xbf\xbf",
                                             "\xef\xbf\xbf",
                                             "\xef\xb7\x90",
                                             "\xef\xbb\xbf",
                                             "\xc0\xaf",
                                             "\xc1\xbf",
                                             "\xe0\x80\xaf",
                                             "\xe0\x9f\xbf",
                                             "\xed\xa0\x80",
                                             "\xed\xbf\xbf",
                                             "\xf0\x80\x80\xaf",
                                             "\xf4\x90\x80\x80",
                                             "\xf5\x80\x80\x80",
                                             "\xff",
                                             "\xfe",
                                             "\x80",
                                             "\xbf\xbf",
                                             "\xc3",
                                             "\xe2\x82",
                                             "\xf0\x9f\x98",
                                             "\xe2",
                                             QByteArray(1, '\0'),
                                             QByteArray(40, 'x')};
    return pieces;
}

// The bytes as the decoder sees them, cut into chunks of random sizes from 1 to `largest`.
QString DecodeInRandomChunks(const QByteArray &bytes, int largest, QRandomGenerator &random)
{
    cOutputDecoder decoder;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype size =
            std::min<qsizetype>(random.bounded(1, largest + 1), bytes.size() - at);
        decoder.Append(bytes.constData() + at, size);
        at += size;
    }
    return decoder.Finish();
}
} // namespace

void TestCommandRunner::decoderMatchesWholeDecodingOfMixedValidAndInvalidBytes()
{
    QRandomGenerator random(20261210);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        const int pieces = random.bounded(1, 60);
        for (int piece = 0; piece < pieces; ++piece)
            bytes += BytePieces().at(random.bounded(int(BytePieces().size())));
        QByteArray withoutZeros = bytes;
        withoutZeros.replace('\0', QByteArray());
        const QString expected = QString::fromUtf8(withoutZeros);
        // Small chunks put many borders inside characters; large ones are what the pipe gives.
        const int largest = round % 2 ? 8 : int(cOutputDecoder::ChunkSize);
        const QString decoded = DecodeInRandomChunks(bytes, largest, random);
        if (decoded != expected)
            QFAIL(qPrintable(QStringLiteral("round %1: bytes %2")
                                 .arg(round)
                                 .arg(QString::fromLatin1(bytes.toHex(' ')))));
    }
}

void TestCommandRunner::decoderGivesBackTheRoomOfALongOutput()
{
    // Longer than the text grows the ordinary way, so that it takes the large room.
    const QByteArray line = "Données é € 😀 0123456789 abcdefghij\n";
    const QByteArray bytes = line.repeated(3 * 1024 * 1024 / line.size());
    cOutputDecoder decoder;
    for (qsizetype at = 0; at < bytes.size(); at += cOutputDecoder::ChunkSize)
        decoder.Append(bytes.constData() + at,
                       std::min(cOutputDecoder::ChunkSize, bytes.size() - at));
    const QString text = decoder.Finish();
    QCOMPARE(text, QString::fromUtf8(bytes));
    // The room taken beyond the text is not held by the result.
    QVERIFY2(text.capacity() < cOutputDecoder::LargeOutputRoom / 2,
             qPrintable(QString::number(text.capacity())));
    QVERIFY(text.capacity() <= 2 * text.size());
}

void TestCommandRunner::decoderCopesWithoutAddressSpaceForALongOutput()
{
#ifdef __SANITIZE_ADDRESS__
    // The sanitizer build reserves terabytes of shadow memory, which no such limit leaves room
    // for; the normal build runs this test.
    QSKIP("AddressSanitizer needs more address space than the limit leaves.");
#endif
    // In a child limited to less address space than the large room needs, a long output still
    // arrives whole.
    const QByteArray line = "Données é € 0123456789 abcdefghij\n";
    const QByteArray bytes = line.repeated(4 * 1024 * 1024 / line.size());
    const QString expected = QString::fromUtf8(bytes);
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        rlimit limit;
        ::getrlimit(RLIMIT_AS, &limit);
        // What the process maps now, and a little more than the output needs, but far less than
        // the large room.
        qint64 mapped = 0;
        QFile maps(QStringLiteral("/proc/self/maps"));
        if (maps.open(QIODevice::ReadOnly)) {
            for (const QByteArray &entry : maps.readAll().split('\n')) {
                const QList<QByteArray> range = entry.split(' ').value(0).split('-');
                if (range.size() == 2)
                    mapped +=
                        range.at(1).toLongLong(nullptr, 16) - range.at(0).toLongLong(nullptr, 16);
            }
        }
        limit.rlim_cur = rlim_t(mapped + (qint64(256) << 20));
        if (::setrlimit(RLIMIT_AS, &limit) != 0)
            ::_exit(3);
        try {
            cOutputDecoder decoder;
            for (qsizetype at = 0; at < bytes.size(); at += cOutputDecoder::ChunkSize)
                decoder.Append(bytes.constData() + at,
                               std::min(cOutputDecoder::ChunkSize, bytes.size() - at));
            ::_exit(decoder.Finish() == expected ? 0 : 1);
        } catch (...) {
            ::_exit(2);
        }
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
}

void TestCommandRunner::outputOfTheStandIn_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("expectedPart");
    QTest::newRow("normal run") << ""
                                << "\nStarting copy...\n\n1 rows copied.\n";
    QTest::newRow("standard error interleaved")
        << "interleave"
        << "stdout line 1\nstderr line 1\nstdout line 2\nstderr line 2\nstdout line 3\n";
    QTest::newRow("zero byte dropped alone") << "zero"
                                             << "zerobyte\n";
    QTest::newRow("character across the chunk border")
        << "split-utf8" << QString(254, QLatin1Char('a')) + QString::fromUtf8("€ after\n");
    QTest::newRow("error lines on standard error")
        << "sqlstate"
        << "SQLState = 08001, NativeError = 2\nError = [Microsoft]";
}

void TestCommandRunner::outputOfTheStandIn()
{
    QFETCH(QString, mode);
    QFETCH(QString, expectedPart);
    qputenv("FAKE_BCP_MODE", mode.toUtf8());
    const CommandResult result =
        RunCommandEx(QStringLiteral("bcp dbo.T out T.dat -n"), m_folder.path());
    QVERIFY(result.started);
    QVERIFY2(result.output.contains(expectedPart), qPrintable(result.output));
    QVERIFY(!result.output.contains(QChar(0)));
    QCOMPARE(result.output, WholeOutput({"dbo.T", "out", "T.dat", "-n"}, mode, m_folder.path()));
}

void TestCommandRunner::manyChunksArriveWhole()
{
    // Far more than a pipe holds, so the child only ends if the runner keeps reading.
    constexpr int Bytes = 8 * 1024 * 1024;
    qputenv("FAKE_BCP_MODE", QByteArray("big=") + QByteArray::number(Bytes));
    const CommandResult result = RunCommandEx(QStringLiteral("bcp t out f -n"), m_folder.path());
    QVERIFY(result.started);
    QCOMPARE(result.exitCode, 0);
    const QString line =
        QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-\n");
    QString big = line.repeated(Bytes / line.size() + 1);
    big.truncate(Bytes);
    QVERIFY(result.output.startsWith("\nStarting copy...\n" + big + "\n1 rows copied.\n"));
    QCOMPARE(result.output, WholeOutput({"t", "out", "f", "-n"},
                                        qEnvironmentVariable("FAKE_BCP_MODE"), m_folder.path()));
}

void TestCommandRunner::outputOfAGrandchildArrivesUntilThePipeEnds()
{
    // The shell ends at once; what it started in the background writes later, and the runner
    // reads on until every holder of the pipe has ended.
    const CommandResult result = RunCommandEx(
        QStringLiteral("sh -c \"(sleep 0.3; echo late) & echo early\""), m_folder.path());
    QVERIFY(result.started);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.output, QStringLiteral("early\nlate\n"));
}

void TestCommandRunner::commandWithoutOutputGivesTheEmptyText()
{
    const CommandResult result = RunCommandEx(QStringLiteral("true"), m_folder.path());
    QVERIFY(result.started);
    QVERIFY(result.exitedNormally);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.output, QString());
    QCOMPARE(RunCommand(QStringLiteral("true"), m_folder.path()), QString());
}

void TestCommandRunner::exitStatusIsReported_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("success") << "" << 0;
    QTest::newRow("failure status") << "exit=3" << 3;
    QTest::newRow("error text with status 0") << "sqlstate" << 0;
    QTest::newRow("error text and status") << "sqlstate,exit=1" << 1;
}

void TestCommandRunner::exitStatusIsReported()
{
    QFETCH(QString, mode);
    QFETCH(int, exitCode);
    qputenv("FAKE_BCP_MODE", mode.toUtf8());
    const CommandResult result = RunCommandEx(QStringLiteral("bcp t out f -n"), m_folder.path());
    QVERIFY(result.started);
    QVERIFY(result.exitedNormally);
    QCOMPARE(result.exitCode, exitCode);
}

void TestCommandRunner::argumentsReachTheProgramWithoutAShell_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("quoted query stays one argument")
        << "bcp \"select * from dbo.T where a = '$HOME' & b <> 1; `id`\" queryout \"/b/my "
           "file.dat\" "
           "-n"
        << QStringList{"select * from dbo.T where a = '$HOME' & b <> 1; `id`", "queryout",
                       "/b/my file.dat", "-n"};
    QTest::newRow("unquoted star is no file pattern")
        << "bcp select * from t queryout f -n"
        << QStringList{"select", "*", "from", "t", "queryout", "f", "-n"};
    QTest::newRow("password with shell characters")
        << "bcp t out f -Usa -P$(id);rm|x -Ss -n"
        << QStringList{"t", "out", "f", "-Usa", "-P$(id);rm|x", "-Ss", "-n"};
    QTest::newRow("quoted password with a quote")
        << "bcp t out f -P\"a \\\"b\" -n" << QStringList{"t", "out", "f", "-Pa \"b", "-n"};
}

void TestCommandRunner::argumentsReachTheProgramWithoutAShell()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    const CommandResult result = RunCommandEx(line, m_folder.path());
    QVERIFY2(result.started, qPrintable(result.output));
    const QList<QJsonObject> runs = TestSupport::BcpLogLines(m_log);
    QCOMPARE(runs.size(), 1);
    QCOMPARE(TestSupport::BcpArguments(runs.first()), expected);
}

void TestCommandRunner::childRunsInTheWorkingFolder()
{
    QTemporaryDir other;
    const CommandResult result = RunCommandEx(QStringLiteral("bcp t out \"data file.dat\" -n"),
                                              other.path() + QLatin1Char('/'));
    QVERIFY(result.started);
    const QList<QJsonObject> runs = TestSupport::BcpLogLines(m_log);
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs.first().value(QStringLiteral("cwd")).toString(), other.path());
    QCOMPARE(TestSupport::ReadFile(other.filePath(QStringLiteral("data file.dat"))),
             QByteArray("FAKE-BCP-DATA:t\n"));
}

void TestCommandRunner::failuresToStartNameTheProgram_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("program not on PATH") << "orvel-no-such-program -x"
                                         << ""
                                         << "orvel-no-such-program: command not found\n";
    QTest::newRow("path to no file") << "./missing arg"
                                     << ""
                                     << "./missing: command not found\n";
    QTest::newRow("working folder missing")
        << "bcp t out f -n"
        << "/nonexistent/orvel/folder"
        << "bcp: could not start: the working folder \"/nonexistent/orvel/folder\" does not "
           "exist.\n";
    QTest::newRow("file that may not run") << "./not-executable"
                                           << ""
                                           << "./not-executable: could not start:";
    QTest::newRow("empty line") << "   "
                                << ""
                                << "No program to run: the command line is empty.\n";
}

void TestCommandRunner::failuresToStartNameTheProgram()
{
    QFETCH(QString, line);
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    const QString script = m_folder.filePath(QStringLiteral("not-executable"));
    TestSupport::WriteFile(script, "#!/bin/sh\necho ran\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner);
    const CommandResult result = RunCommandEx(line, folder.isEmpty() ? m_folder.path() : folder);
    QVERIFY(!result.started);
    QVERIFY(!result.exitedNormally);
    QVERIFY2(result.output.startsWith(expected), qPrintable(result.output));
    QVERIFY(result.output.endsWith(QLatin1Char('\n')));
    QCOMPARE(result.output.count(QLatin1Char('\n')), 1);
    QVERIFY(TestSupport::BcpLogLines(m_log).isEmpty());
}

void TestCommandRunner::bcpIsLookedForInTheToolsFolders()
{
    QCOMPARE(BulkCopyToolFolders, (QStringList{"/opt/mssql-tools18/bin", "/opt/mssql-tools/bin"}));
    const QByteArray path = qgetenv("PATH");
    const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
    QVERIFY(FindProgram(QStringLiteral("bcp")).endsWith(QLatin1String("/fakebin/bcp")));

    // Without a bcp on PATH the tools folders are next, in order; other names are not looked
    // for there.
    QTemporaryDir tools;
    QDir(tools.path()).mkpath(QStringLiteral("18"));
    QDir(tools.path()).mkpath(QStringLiteral("17"));
    for (const char *name : {"18/bcp", "17/bcp", "17/other"}) {
        QVERIFY(QFile::copy(FindProgram(QStringLiteral("bcp")), tools.filePath(name)));
    }
    qputenv("PATH", m_folder.path().toLocal8Bit());
    const QStringList folders = {tools.filePath("18"), tools.filePath("17")};
    QCOMPARE(FindProgram(QStringLiteral("bcp"), QString(), folders), tools.filePath("18/bcp"));
    QFile::remove(tools.filePath("18/bcp"));
    QCOMPARE(FindProgram(QStringLiteral("bcp"), QString(), folders), tools.filePath("17/bcp"));
    QCOMPARE(FindProgram(QStringLiteral("other"), QString(), folders), QString());
    QCOMPARE(FindProgram(QStringLiteral("sh")), QString());
}

void TestCommandRunner::freebcpErrorTextIsCaptured()
{
    const QString line = QStringLiteral("freebcp dbo.T out \"%1\" -S 127.0.0.1:%2 -U sa -P x -n")
                             .arg(m_folder.filePath(QStringLiteral("T.dat")))
                             .arg(ClosedPort());
    const CommandResult result = RunCommandEx(line, m_folder.path());
    QVERIFY2(result.started, qPrintable(result.output));
    QCOMPARE(result.exitCode, 1);
    // freebcp writes all of this to standard error.
    QVERIFY2(result.output.contains(QLatin1String(
                 "Unable to connect: Adaptive Server is unavailable or does not exist")),
             qPrintable(result.output));
    QVERIFY2(result.output.contains(QLatin1String("Can't connect to server")),
             qPrintable(result.output));
}

void TestCommandRunner::windowsRepaintWhileTheChildRunsWithoutSpinning()
{
    qputenv("FAKE_BCP_MODE", "hang");
    PaintCounter window;
    window.resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();

    int paintsBefore = -1;
    int paintsWhileRunning = -1;
    double cpuBefore = 0;
    double cpuWhileWaiting = -1;
    bool childWasRunning = false;
    QElapsedTimer clock;
    QTimer::singleShot(300, &window, [&] {
        paintsBefore = window.paints;
        window.update();
        cpuBefore = ProcessCpuSeconds();
    });
    QTimer::singleShot(1300, &window, [&] {
        paintsWhileRunning = window.paints;
        cpuWhileWaiting = ProcessCpuSeconds() - cpuBefore;
        const QList<QJsonObject> runs = TestSupport::BcpLogLines(m_log);
        QCOMPARE(runs.size(), 1);
        const auto pid = runs.first().value(QStringLiteral("pid")).toInt();
        childWasRunning = ::kill(pid, 0) == 0;
        ::kill(pid, SIGTERM);
    });
    clock.start();
    const CommandResult result = RunCommandEx(QStringLiteral("bcp t out f -n"), m_folder.path());
    window.hide();

    // No time limit: the child ran until the timer killed it.
    QVERIFY(clock.elapsed() >= 1300);
    QVERIFY(childWasRunning);
    QVERIFY(result.started);
    QVERIFY(!result.exitedNormally);
    QVERIFY(paintsBefore >= 0);
    QVERIFY2(paintsWhileRunning > paintsBefore, "the window did not repaint during the run");
    // A busy wait would use about a second of processor time here.
    QVERIFY2(cpuWhileWaiting >= 0 && cpuWhileWaiting < 0.25,
             qPrintable(QString::number(cpuWhileWaiting)));
}

void TestCommandRunner::noHandleOrChildIsLeftBehind()
{
    // Warm up anything that opens descriptors once (the event dispatcher, the child reaper).
    RunCommandEx(QStringLiteral("bcp t out f -n"), m_folder.path());
    const int descriptors = OpenDescriptorCount();
    const int children = ChildProcessCount();
    QCOMPARE(children, 0);

    for (const char *mode : {"", "exit=2", "sqlstate", "interleave", "big=300000", "zero"}) {
        qputenv("FAKE_BCP_MODE", mode);
        QVERIFY(RunCommandEx(QStringLiteral("bcp t out f -n"), m_folder.path()).started);
    }
    qunsetenv("FAKE_BCP_MODE");
    QVERIFY(!RunCommandEx(QStringLiteral("orvel-no-such-program"), m_folder.path()).started);
    QVERIFY(!RunCommandEx(QStringLiteral("bcp t out f"), QStringLiteral("/nonexistent")).started);
    const QString script = m_folder.filePath(QStringLiteral("not-executable"));
    TestSupport::WriteFile(script, "#!/bin/sh\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(!RunCommandEx(QStringLiteral("./not-executable"), m_folder.path()).started);
    QVERIFY(RunCommandEx(
                QStringLiteral("freebcp t out f -S 127.0.0.1:%1 -U a -P b -n").arg(ClosedPort()),
                m_folder.path())
                .started);

    QCOMPARE(OpenDescriptorCount(), descriptors);
    QCOMPARE(ChildProcessCount(), 0);
}

QTEST_MAIN(TestCommandRunner)
#include "tst_commandrunner.moc"
