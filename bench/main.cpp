// skivane-bench <name> [args]: runs one benchmark and prints its RESULT line.
#include "Bench.h"
#include "core/engine/Libraries.h"

#include <QApplication>
#include <cstdio>
#include <map>
#include <string>

namespace bench {

namespace {
struct Entry {
    std::string help;
    BenchFn fn;
};
std::map<std::string, Entry>& registry() {
    static std::map<std::string, Entry> r;
    return r;
}
} // namespace

Registration::Registration(const char* name, const char* help, BenchFn fn) {
    registry()[name] = Entry{help, std::move(fn)};
}

} // namespace bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    engine::initLibraries();
    QStringList args = app.arguments().mid(1);
    auto& reg = bench::registry();
    if (args.isEmpty() || reg.find(args.first().toStdString()) == reg.end()) {
        std::fprintf(stderr, "usage: skivane-bench <benchmark> [args]\n");
        for (const auto& [name, e] : reg)
            std::fprintf(stderr, "  %-10s %s\n", name.c_str(), e.help.c_str());
        return 2;
    }
    const std::string name = args.takeFirst().toStdString();
    return reg[name].fn(args);
}
