#pragma once
// Benchmarks of skivane-bench. Each registers itself by name and ends by printing one line
// "RESULT <name> key=value ..." with its figures and the ratio to a reference measured in the
// same run.
#include <QStringList>
#include <functional>

namespace bench {

using BenchFn = std::function<int(const QStringList& args)>;

// Registers a benchmark; call from a static initialiser: `static bench::Registration r{...};`
struct Registration {
    Registration(const char* name, const char* help, BenchFn fn);
};

} // namespace bench
