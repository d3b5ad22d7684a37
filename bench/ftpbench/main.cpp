// ftpbench: the protocol engine without a window, and the transfer window
// offscreen, for scripts/bench.
#include "ftpbench/BenchTls.h"
#include "ftpbench/FtpBench.h"
#include "ftpbench/TransferBench.h"

#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <memory>

namespace {

int Report(const std::exception& e)
{
    std::fprintf(stderr, "ftpbench: %s\n", e.what());
    return 1;
}

// The transfer window needs widgets; the engine's own commands keep the
// lighter application, as they always had.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv, bool widgets)
{
    if (!widgets) return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}

}  // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Options come before the command, in any order; one it does not know
    // is taken for the command, which the usage text then answers. Active
    // mode is the default: the benchmark's server and its recorded ratios
    // use it.
    bool verbose = false;
    bool passive = false;
    std::optional<TFtpEncryption> tls;
    for (;;) {
        const QString option = arguments.value(0);
        if (const std::optional<TFtpEncryption> tlsOption = ParseTlsOption(option))
            tls = tlsOption;
        else if (option == QLatin1String("-v"))
            verbose = true;
        else if (option == QLatin1String("--passive") || option == QLatin1String("--active"))
            passive = option == QLatin1String("--passive");
        else
            break;
        arguments.removeFirst();
    }
    const bool window = TTransferBench::Handles(arguments.value(0));
    const std::unique_ptr<QCoreApplication> app = MakeApplication(argc, argv, window);
    try {
        if (window) {
            TTransferBench bench(stdout, verbose);
            bench.SetPassive(passive);
            if (tls) bench.SetTls(*tls);
            bench.Run(arguments);
        } else {
            TFtpBench bench(stdout, verbose);
            bench.SetPassive(passive);
            if (tls) bench.SetTls(*tls);
            bench.Run(arguments);
        }
    } catch (const TFtpBench::EUsage& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        return Report(e);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
