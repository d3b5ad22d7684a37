// ftpbench: the protocol engine without a window, for scripts/bench.
#include "ftpbench/FtpBench.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool verbose = arguments.value(0) == QLatin1String("-v");
    if (verbose) arguments.removeFirst();
    try {
        TFtpBench(stdout, verbose).Run(arguments);
    } catch (const TFtpBench::EUsage& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ftpbench: %s\n", e.what());
        return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
