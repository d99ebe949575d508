// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for SQL Server's bulk-copy utility, built with the tests as "bcp" and put first on
// PATH. It accepts the program's command lines: bcp {table|query} {in|out|queryout} datafile ...
//
// Always:
//   FAKE_BCP_LOG=<file>   appends one line per run:
//                         {"args":["arg1","arg2",...],"cwd":"<working folder>","pid":N}
//                         (every argument after argv[0]; JSON string escapes).
//   out / queryout        writes the data file (3rd argument, relative to the working folder) with
//                         "FAKE-BCP-DATA:" + the 1st argument + "\n", then prints
//                           "\nStarting copy...\n\n1 rows copied.\n"
//                           "Network packet size (bytes): 4096\n"
//                           "Clock Time (ms.) Total     : 1      Average : (1000.00 rows per
//                           sec.)\n"
//   in                    reads the data file and prints the same, with one row per line read.
//                         A data file that cannot be opened gives, on standard error,
//                           "SQLState = S1000, NativeError = 0\n"
//                           "Error = [Microsoft][ODBC Driver 18 for SQL Server]Unable to open BCP
//                           host data-file\n"  (one line), and exit status 1.
//   Fewer than 3 arguments or another direction word: a usage line and exit status 1.
//
// FAKE_BCP_MODE=<comma list> changes a run:
//   exit=N        exit status N after the normal output.
//   sqlstate      instead of the normal output, on standard error:
//                   "SQLState = 08001, NativeError = 2\n"
//                   "Error = [Microsoft][ODBC Driver 18 for SQL Server]Named Pipes Provider: Could
//                   not open a connection to SQL Server [2]. \n"  (one line)
//                   "Error = [Microsoft][ODBC Driver 18 for SQL Server]Login timeout expired\n"
//                 and exit status 0 (unless exit=N), as the real tool often does; no data file.
//   msg=L         on standard output, before the normal output:
//                   "Msg 4060, Level L, State 1, Server FAKE, Line 1\n"
//                   "Cannot open database requested by the login. The login failed.\n"
//   unable=N      after "Starting copy...", on standard output:
//                   "N rows unable to be copied.\n"
//   big=BYTES     after "Starting copy...", BYTES bytes of text on standard output: lines of 63
//                 characters "0123456789ABCDEF..." and a line break, the last line cut short.
//   zero          after "Starting copy...", the bytes "zero", a zero byte, "byte\n".
//   interleave    after "Starting copy...", "stdout line K\n" on standard output and
//                 "stderr line K\n" on standard error for K = 1..10, alternately, each written
//                 at once with no buffering.
//   split-utf8    first of all, in one write: 254 times "a", then "\u20ac" (3 bytes, so that it
//                 straddles byte 255 of the output), then " after\n".
//   hang          after logging, never ends (sleeps until killed) and prints nothing.
// FAKE_BCP_ONLY=<text>   the mode applies only to runs one of whose arguments contains the text,
//                        so that one table of many can fail.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace
{
struct Mode {
    int exitStatus = 0;
    bool sqlstate = false;
    int msgLevel = -1;
    long unable = -1;
    long long big = -1;
    bool zero = false;
    bool interleave = false;
    bool splitUtf8 = false;
    bool hang = false;
};

void WriteAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        text.remove_prefix(size_t(written));
    }
}

void Out(std::string_view text)
{
    WriteAll(STDOUT_FILENO, text);
}
void Err(std::string_view text)
{
    WriteAll(STDERR_FILENO, text);
}

std::string JsonString(std::string_view text)
{
    std::string result = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            result += "\\\"";
            break;
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\r':
            result += "\\r";
            break;
        case '\t':
            result += "\\t";
            break;
        default:
            if (byte < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(byte));
                result += escaped;
            } else {
                result += c;
            }
        }
    }
    return result + "\"";
}

void Log(int argc, char **argv)
{
    const char *logFile = std::getenv("FAKE_BCP_LOG");
    if (!logFile || !*logFile)
        return;
    std::string line = "{\"args\":[";
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ",";
        line += JsonString(argv[i]);
    }
    std::vector<char> cwd(4096);
    const char *folder = ::getcwd(cwd.data(), cwd.size());
    line += "],\"cwd\":" + JsonString(folder ? folder : "") +
            ",\"pid\":" + std::to_string(::getpid()) + "}\n";
    // One write on a file opened for appending keeps the lines of parallel runs whole.
    const int fd = ::open(logFile, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    WriteAll(fd, line);
    ::close(fd);
}

bool ModeApplies(int argc, char **argv)
{
    const char *only = std::getenv("FAKE_BCP_ONLY");
    if (!only || !*only)
        return true;
    for (int i = 1; i < argc; ++i)
        if (std::strstr(argv[i], only))
            return true;
    return false;
}

Mode ReadMode(int argc, char **argv)
{
    Mode mode;
    const char *text = std::getenv("FAKE_BCP_MODE");
    if (!text || !ModeApplies(argc, argv))
        return mode;
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string item(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const size_t equal = item.find('=');
        const std::string name = item.substr(0, equal);
        const std::string value =
            equal == std::string::npos ? std::string() : item.substr(equal + 1);
        if (name == "exit")
            mode.exitStatus = std::atoi(value.c_str());
        else if (name == "sqlstate")
            mode.sqlstate = true;
        else if (name == "msg")
            mode.msgLevel = std::atoi(value.c_str());
        else if (name == "unable")
            mode.unable = std::atol(value.c_str());
        else if (name == "big")
            mode.big = std::atoll(value.c_str());
        else if (name == "zero")
            mode.zero = true;
        else if (name == "interleave")
            mode.interleave = true;
        else if (name == "split-utf8")
            mode.splitUtf8 = true;
        else if (name == "hang")
            mode.hang = true;
    }
    return mode;
}

void PrintBig(long long bytes)
{
    std::string line;
    for (int i = 0; i < 63; ++i)
        line += "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-"[i];
    line += '\n';
    std::string block;
    while (block.size() < 65536)
        block += line;
    while (bytes > 0) {
        const size_t size = size_t(std::min<long long>(bytes, (long long)block.size()));
        Out(std::string_view(block.data(), size));
        bytes -= (long long)size;
    }
}

bool WriteDataFile(const char *path, const char *object)
{
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    WriteAll(fd, std::string("FAKE-BCP-DATA:") + object + "\n");
    ::close(fd);
    return true;
}

// The number of lines of the data file, or -1 when it cannot be opened.
long CountRows(const char *path)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    long rows = 0;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        for (ssize_t i = 0; i < n; ++i)
            rows += buffer[i] == '\n';
    ::close(fd);
    return rows;
}

void UnableToOpen()
{
    Err("SQLState = S1000, NativeError = 0\n");
    Err("Error = [Microsoft][ODBC Driver 18 for SQL Server]Unable to open BCP host data-file\n");
}
} // namespace

int main(int argc, char **argv)
{
    Log(argc, argv);
    const Mode mode = ReadMode(argc, argv);

    if (mode.splitUtf8)
        Out(std::string(254, 'a') + "\xe2\x82\xac after\n");
    if (mode.hang)
        for (;;)
            ::pause();

    if (argc < 4) {
        Out("usage: bcp {dbtable | query} {in | queryout | out | format} datafile\n");
        return 1;
    }
    const std::string_view direction = argv[2];
    if (direction != "in" && direction != "out" && direction != "queryout") {
        Out("Copy direction must be either 'in', 'out' or 'format'.\n");
        return 1;
    }

    if (mode.msgLevel >= 0) {
        Out("Msg 4060, Level " + std::to_string(mode.msgLevel) +
            ", State 1, Server FAKE, Line 1\n");
        Out("Cannot open database requested by the login. The login failed.\n");
    }
    if (mode.sqlstate) {
        Err("SQLState = 08001, NativeError = 2\n");
        Err("Error = [Microsoft][ODBC Driver 18 for SQL Server]Named Pipes Provider: Could not "
            "open a connection to SQL Server [2]. \n");
        Err("Error = [Microsoft][ODBC Driver 18 for SQL Server]Login timeout expired\n");
        return mode.exitStatus;
    }

    long rows = 1;
    if (direction == "in") {
        rows = CountRows(argv[3]);
        if (rows < 0) {
            UnableToOpen();
            return 1;
        }
    } else if (!WriteDataFile(argv[3], argv[1])) {
        UnableToOpen();
        return 1;
    }

    Out("\nStarting copy...\n");
    if (mode.unable >= 0)
        Out(std::to_string(mode.unable) + " rows unable to be copied.\n");
    if (mode.big >= 0)
        PrintBig(mode.big);
    if (mode.zero)
        Out(std::string_view("zero\0byte\n", 10));
    if (mode.interleave)
        for (int k = 1; k <= 10; ++k) {
            Out("stdout line " + std::to_string(k) + "\n");
            Err("stderr line " + std::to_string(k) + "\n");
        }
    Out("\n" + std::to_string(rows) + " rows copied.\n");
    Out("Network packet size (bytes): 4096\n");
    Out("Clock Time (ms.) Total     : 1      Average : (" + std::to_string(rows * 1000) +
        ".00 rows per sec.)\n");
    return mode.exitStatus;
}
