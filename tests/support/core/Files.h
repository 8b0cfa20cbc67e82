#pragma once
// Reading and writing whole files in tests, with no error handling to repeat in each test.
#include <QByteArray>
#include <QString>
#include <string>

namespace testsupport {

// The bytes of `path`; empty when it cannot be read.
QByteArray readFile(const QString& path);
// Writes `bytes` to `path` (replacing it), making its folder when missing. True on success; a
// failure also fails the test that asked.
bool writeFile(const QString& path, const QByteArray& bytes);
bool writeFile(const QString& path, const std::string& bytes);
inline bool writeFile(const QString& path, const char* text) {
    return writeFile(path, QByteArray(text));
}

} // namespace testsupport
