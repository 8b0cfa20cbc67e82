#pragma once
// Benchmarks of skivane-bench. Each registers itself by name and ends by printing one line
// "RESULT <name> key=value ..." with its figures and the ratio to a reference measured in the
// same run.
#include <QStringList>
#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

using BenchFn = std::function<int(const QStringList& args)>;

// Registers a benchmark; call from a static initialiser: `static bench::Registration r{...};`
struct Registration {
    Registration(const char* name, const char* help, BenchFn fn);
};

// The median of a set of timings (the mean of the middle two for an even count); 0 when empty.
inline double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The number of a "key=N" argument; `fallback` when there is none.
inline int argValue(const QStringList& args, const QString& key, int fallback) {
    for (const QString& a : args)
        if (a.startsWith(key + QLatin1Char('=')))
            return a.mid(key.size() + 1).toInt();
    return fallback;
}

} // namespace bench
