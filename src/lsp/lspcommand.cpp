#include "lspcommand.h"

#include "lsp/lspserver.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

void WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // The client has gone: nobody is left to answer.
            std::fprintf(stderr, "scriba --lsp: cannot write to the client; stopping\n");
            std::_Exit(1);
        }
        bytes.remove_prefix(std::size_t(written));
    }
}

} // namespace

int RunLspCommand(const QStringList &arguments, const QString &iniPath)
{
    for (const QString &argument : arguments) {
        // Clients often start servers with "--stdio"; standard input and output are all there is.
        if (argument != QStringLiteral("--lsp") && argument != QStringLiteral("--stdio")) {
            std::fprintf(stderr, "scriba: unknown option \"%s\"; usage: scriba --lsp\n",
                         argument.toLocal8Bit().constData());
            return 2;
        }
    }
    std::signal(SIGPIPE, SIG_IGN); // a closed pipe is a failed write, handled there
    LspServer::Options options;
    options.iniPath = iniPath;
    LspServer server(
        options, [](std::string_view bytes) { WriteAll(STDOUT_FILENO, bytes); },
        [](const std::string &line) { std::fprintf(stderr, "%s\n", line.c_str()); });
    char buffer[1 << 16];
    while (!server.Finished()) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            server.EndOfInput();
            break;
        }
        server.Feed(std::string_view(buffer, std::size_t(got)));
    }
    return server.ExitCode();
}
